#pragma once
// The Windows calls the tool is written against, under their Windows names. On Windows
// this is <windows.h> itself; elsewhere platform_posix.cpp stands in for them with the
// same semantics, so no other file needs to know which system it is built for.

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// Marks the entry points that a shared library (the simulated camera SDK) exports.
#define BRENVIK_EXPORT extern "C" __declspec(dllexport)

#else

#include <cstdint>

typedef int BOOL;
typedef uint32_t DWORD;
typedef const char* LPCSTR;
typedef void* HMODULE;
typedef void (*FARPROC)(void);

#define BRENVIK_EXPORT extern "C" __attribute__((visibility("default")))

// Remembers `dir` for the loads that follow; always succeeds.
BOOL SetDllDirectoryA(LPCSTR dir);
// A bare file name is looked for in the running executable's directory, then in the
// directory given to SetDllDirectoryA, then through the system's own library search
// (LD_LIBRARY_PATH and the like); a name with a slash is loaded as given. Null on
// failure, with GetLastError() telling why: 126 no such file (or a library it needs is
// missing), 193 a file of that name that is not a loadable library, 5 a directory.
HMODULE LoadLibraryA(LPCSTR name);
// The exported function of exactly that name, or null (GetLastError() then gives 127).
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// The code left by the last failed call of this thread.
DWORD GetLastError(void);
// Milliseconds of a monotonic clock, truncated to 32 bits, so it wraps as Windows' does.
DWORD GetTickCount(void);
// Sleeps the whole interval, even when a signal interrupts it.
void Sleep(DWORD milliseconds);

#endif
