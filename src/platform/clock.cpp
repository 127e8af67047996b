#include "platform/clock.h"

static DWORD systemTick(void) { return GetTickCount(); }
static void systemSleep(DWORD milliseconds) { Sleep(milliseconds); }

const RunClock kSystemClock = {systemTick, systemSleep};
