// Linux stand-ins for the Windows calls declared in platform.h.
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

const DWORD kErrorAccessDenied = 5;
const DWORD kErrorModNotFound = 126;
const DWORD kErrorProcNotFound = 127;
const DWORD kErrorBadExeFormat = 193;

thread_local DWORD t_lastError = 0;

std::mutex s_directoryLock;
std::string s_dllDirectory;  // guarded by s_directoryLock

// Windows reports a write to a pipe whose reader has gone as a failed write, which the
// tool ignores; make Linux do the same instead of ending the process with SIGPIPE.
const bool s_pipeWritesFail = [] {
  signal(SIGPIPE, SIG_IGN);
  return true;
}();

std::string executableDirectory() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string exe(path, static_cast<size_t>(length));
  return exe.substr(0, exe.find_last_of('/'));
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Maps the dynamic loader's complaint to the code Windows gives for the same failure.
DWORD loadErrorCode(const char* message) {
  if (message == nullptr) return kErrorModNotFound;
  if (std::strstr(message, "cannot open shared object file")) return kErrorModNotFound;
  if (std::strstr(message, "undefined symbol")) return kErrorProcNotFound;
  return kErrorBadExeFormat;
}

// False for an ELF file whose loadable segments reach past its end. The dynamic loader
// maps such a truncated library and then dies of SIGBUS touching it, where Windows
// refuses a truncated DLL as a bad image.
bool segmentsFit(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return true;  // let dlopen say why
  Elf64_Ehdr header;
  bool fits = true;
  if (std::fread(&header, sizeof header, 1, file) == 1 && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
      header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_phentsize == sizeof(Elf64_Phdr)) {
    std::fseek(file, 0, SEEK_END);
    const uint64_t size = static_cast<uint64_t>(std::ftell(file));
    if (header.e_phoff + uint64_t{header.e_phnum} * sizeof(Elf64_Phdr) > size) fits = false;
    for (int i = 0; fits && i < header.e_phnum; ++i) {
      Elf64_Phdr segment;
      std::fseek(file, static_cast<long>(header.e_phoff + i * sizeof segment), SEEK_SET);
      if (std::fread(&segment, sizeof segment, 1, file) != 1)
        fits = false;
      else if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz > size)
        fits = false;
    }
  }
  std::fclose(file);
  return fits;
}

HMODULE openLibrary(const std::string& path) {
  if (isDirectory(path)) {
    t_lastError = kErrorAccessDenied;
    return nullptr;
  }
  if (path.find('/') != std::string::npos && !segmentsFit(path)) {
    t_lastError = kErrorBadExeFormat;
    return nullptr;
  }
  dlerror();
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) t_lastError = loadErrorCode(dlerror());
  return module;
}

}  // namespace

BOOL SetDllDirectoryA(LPCSTR dir) {
  std::lock_guard<std::mutex> hold(s_directoryLock);
  s_dllDirectory = dir ? dir : "";
  return 1;
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr || *name == '\0') {
    t_lastError = kErrorModNotFound;
    return nullptr;
  }
  if (std::strchr(name, '/')) return openLibrary(name);

  std::string remembered;
  {
    std::lock_guard<std::mutex> hold(s_directoryLock);
    remembered = s_dllDirectory;
  }
  // The first file of that name wins, loadable or not, as on Windows; so does a
  // directory, which fails as Windows fails to open it.
  std::vector<std::string> dirs = {executableDirectory(), remembered};
  // The system's search begins with LD_LIBRARY_PATH; walking it here lets a file found
  // there be checked like the others before the dynamic loader maps it.
  if (const char* searchPath = std::getenv("LD_LIBRARY_PATH")) {
    std::string rest = searchPath;
    for (size_t colon; (colon = rest.find(':')) != std::string::npos; rest.erase(0, colon + 1))
      dirs.push_back(rest.substr(0, colon));
    dirs.push_back(rest);
  }
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    std::string path = dir + "/" + name;
    if (exists(path)) return openLibrary(path);
  }
  return openLibrary(name);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  void* symbol = module ? dlsym(module, name) : nullptr;
  if (symbol == nullptr) {
    t_lastError = kErrorProcNotFound;
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetLastError(void) { return t_lastError; }

DWORD GetTickCount(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

void Sleep(DWORD milliseconds) {
  struct timespec left, rest;
  left.tv_sec = static_cast<time_t>(milliseconds / 1000u);
  left.tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L;
  while (nanosleep(&left, &rest) == -1 && errno == EINTR) left = rest;
}
