// brenvik_capture: captures the first frames of a thermal camera through its SDK,
// Brenvik.dll, into the current directory.
#include <cstdio>

#include "brenvik_capture/run.h"
#include "sdk/sdk.h"

int main() {
  SdkEntryPoints sdk;
  int refused = loadSdk(&sdk, stdout);
  if (refused != 0) return refused;
  return runCapture(sdk, kSystemClock, stdout);
}
