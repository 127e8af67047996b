#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include "test_support.h"

extern char** environ;

ProcessResult runProgram(const fs::path& program, const fs::path& cwd, const Environment& env) {
  std::vector<std::string> inherited;
  for (char** e = environ; *e != nullptr; ++e) inherited.push_back(*e);
  std::vector<std::string> settings = childEnvironment(inherited, env);
  std::vector<char*> envp;
  for (std::string& s : settings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  TempDir streams;
  const std::string outPath = (streams.path() / "out").string(), errPath = (streams.path() / "err").string();
  const std::string dir = cwd.string(), exe = program.string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
  pid_t pid = 0;
  int failed = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return ProcessResult{-1000, "", std::string("spawn failed: ") + std::strerror(failed)};

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

const char kLibrarySearchVariable[] = "LD_LIBRARY_PATH";
const char kPathListSeparator[] = ":";
const char kNewline[] = "\n";

void setEnvironment(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}
