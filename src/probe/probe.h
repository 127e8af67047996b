#pragma once
#include <cstdio>

#include "platform/clock.h"
#include "sdk/sdk.h"

// The temperature probe sweep: once more than three seconds have passed since the run's
// start reading, one probe per polling cycle at six fixed points, then nothing.
struct ProbeSweep {
  DWORD t0;    // the run's start reading
  int probes;  // probes made so far, 0 to 6
};

// The probe turn, the last step of each polling cycle. Reads the clock afresh; when it is
// time, reads the temperature record at the next point and prints its first 24 bytes.
void probeTurn(ProbeSweep* sweep, const SdkEntryPoints& sdk, const RunClock& clock, FILE* console);
