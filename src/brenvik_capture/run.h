#pragma once
#include <cstdio>

#include "platform/clock.h"
#include "sdk/sdk.h"

// One capture run with a bound SDK: configure, start, poll until enough frames or time
// has passed, then shut down. Progress goes to `console`; returns the exit code, 0.
int runCapture(const SdkEntryPoints& sdk, const RunClock& clock, FILE* console);

// The distance handlers registered with the SDK; the tool has no use for distances.
void onDist(float metres);
void onDistErr(int32_t code);
