#pragma once
#include <cstdio>

#include "sdk/sdk_api.h"

// The bound entry points of the loaded SDK library.
struct SdkEntryPoints {
#define BRENVIK_SDK_FIELD(name, result, parameters, required) result(*name) parameters;
  BRENVIK_SDK_ENTRY_POINTS(BRENVIK_SDK_FIELD)
#undef BRENVIK_SDK_FIELD
};

// Loads Brenvik.dll and binds its entry points into `sdk`. Returns 0 on success, or the
// exit code the tool ends with (1 not loaded, 2 a required entry point missing) after
// printing why to `console`. An optional entry point the library lacks is bound to a
// stand-in that does nothing, so every field of `sdk` can be called.
int loadSdk(SdkEntryPoints* sdk, FILE* console);
