#pragma once
// Runs the tool with faults that only Linux can stage from outside the process.
#include "test_support.h"

struct ChildFaults {
  const char* stdoutPath = nullptr;  // standard output goes to this file instead (say /dev/full)
  bool stdoutReaderGone = false;     // standard output is a pipe nobody reads from
  long long fileSizeLimit = -1;      // bytes a file may grow to, with SIGXFSZ ignored
};

ProcessResult runProgramWithFaults(const fs::path& program, const fs::path& cwd, const Environment& env,
                                   const ChildFaults& faults, const std::vector<std::string>& args = {});
