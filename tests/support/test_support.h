#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Makes `dir` the current directory for as long as it lives.
class InDirectory {
 public:
  explicit InDirectory(const fs::path& dir);
  ~InDirectory();
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  fs::path previous_;
};

// The tool's name for frame file `index`: official_ir_NN.rgb.
std::string frameName(int index);

// The file's bytes as they are; empty when it can't be read.
std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);
// Names of the directory's entries, sorted.
std::vector<std::string> listDirectory(const fs::path& dir);

typedef std::vector<std::pair<std::string, std::string>> Environment;

struct ProcessResult {
  int exitCode;  // negative: ended by that signal
  std::string out, err;
};

// Runs `program` with `args` in `cwd`, with an empty standard input and the test's own
// environment less any BRENVIK_SIM_ setting, plus `env`.
ProcessResult runProgram(const fs::path& program, const fs::path& cwd, const Environment& env,
                         const std::vector<std::string>& args = {});

// What differs between the platforms the tests run on.
extern const char kLibrarySearchVariable[];  // how the system's library search is steered
extern const char kPathListSeparator[];      // between the directories of such a list
extern const char kNewline[];                // what "\n" becomes in a text stream

// `text` as a text stream writes it: every "\n" becomes kNewline.
std::string asText(const std::string& text);

// Sets (or, given null, removes) a variable of this process's environment.
void setEnvironment(const char* name, const char* value);

// A child's environment: `inherited` ("NAME=value" each) less any BRENVIK_SIM_ setting and
// any variable that `env` sets, plus `env`.
std::vector<std::string> childEnvironment(const std::vector<std::string>& inherited, const Environment& env);

// Names each case of a table-driven test after its row's `name`.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};
