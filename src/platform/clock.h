#pragma once
#include "platform/platform.h"

// Where the run reads the time and sleeps. The tool uses the system's clock; tests hand
// in a virtual one that advances only when the code sleeps.
struct RunClock {
  DWORD (*tick)(void);
  void (*sleep)(DWORD milliseconds);
};

extern const RunClock kSystemClock;
