#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "test_support.h"

namespace {

HANDLE openInherited(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProcessResult runProgram(const fs::path& program, const fs::path& cwd, const Environment& env,
                         const std::vector<std::string>& args) {
  std::vector<std::string> inherited;
  char* strings = GetEnvironmentStringsA();
  for (char* s = strings; *s != '\0'; s += std::strlen(s) + 1) inherited.push_back(s);
  FreeEnvironmentStringsA(strings);
  std::string block;
  for (const std::string& setting : childEnvironment(inherited, env)) block += setting + '\0';
  block += '\0';

  TempDir streams;
  const std::string outPath = (streams.path() / "out").string(), errPath = (streams.path() / "err").string();
  HANDLE in = openInherited("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = openInherited(outPath, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = openInherited(errPath, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  const std::string exe = program.string(), dir = cwd.string();
  std::string commandLine = "\"" + exe + "\"";
  for (const std::string& arg : args) commandLine += " \"" + arg + "\"";  // no quotes inside, in these tests
  BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, &block[0], dir.c_str(),
                                &startup, &process);
  DWORD failure = GetLastError();
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) return ProcessResult{-1000, "", "CreateProcess failed: " + std::to_string(failure)};

  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ProcessResult result;
  result.exitCode = static_cast<int>(code);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

const char kLibrarySearchVariable[] = "PATH";
const char kPathListSeparator[] = ";";
const char kNewline[] = "\r\n";

void setEnvironment(const char* name, const char* value) { _putenv_s(name, value ? value : ""); }
