#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "faults_posix.h"
#include "test_support.h"

extern char** environ;

ProcessResult runProgramWithFaults(const fs::path& program, const fs::path& cwd, const Environment& env,
                                   const ChildFaults& faults, const std::vector<std::string>& args) {
  std::vector<std::string> inherited;
  for (char** e = environ; *e != nullptr; ++e) inherited.push_back(*e);
  std::vector<std::string> settings = childEnvironment(inherited, env);
  std::vector<char*> envp;
  for (std::string& s : settings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  TempDir streams;
  const std::string outPath = faults.stdoutPath ? faults.stdoutPath : (streams.path() / "out").string();
  const std::string errPath = (streams.path() / "err").string();
  const std::string dir = cwd.string(), exe = program.string();
  std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int in = open("/dev/null", O_RDONLY);
  int out = -1;
  if (faults.stdoutReaderGone) {
    int ends[2];
    if (pipe(ends) != 0) return ProcessResult{-1000, "", "pipe failed"};
    close(ends[0]);  // before the child exists, so its very first write already fails
    out = ends[1];
  } else {
    out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (chdir(dir.c_str()) != 0) _exit(127);
    if (faults.fileSizeLimit >= 0) {
      struct rlimit limit = {static_cast<rlim_t>(faults.fileSizeLimit), static_cast<rlim_t>(faults.fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
      signal(SIGXFSZ, SIG_IGN);
    }
    execve(exe.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in);
  close(out);
  close(err);
  if (pid < 0) return ProcessResult{-1000, "", "fork failed"};

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  result.out = faults.stdoutPath || faults.stdoutReaderGone ? "" : readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

ProcessResult runProgram(const fs::path& program, const fs::path& cwd, const Environment& env,
                         const std::vector<std::string>& args) {
  return runProgramWithFaults(program, cwd, env, ChildFaults(), args);
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
