#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>

// Frames recorded so far in this run, 0 to 10; advanced by onIR, read by the run.
extern std::atomic<int32_t> g_saved;
// The metadata file, or null before it is opened, after it is closed, or when it could
// not be created. Only the recorder touches it, under its own lock.
extern FILE* g_meta;

// Starts a run's recording: the count goes back to 0 and "official_meta.txt" is created
// (or emptied) in the current directory. A file that can't be created is tolerated.
void openMeta();
// Closes the metadata file; frames recorded afterwards get their frame file only.
void closeMeta();
// The frame handler registered with the SDK.
void onIR(unsigned char* data, int32_t a, int32_t b, int32_t c);
