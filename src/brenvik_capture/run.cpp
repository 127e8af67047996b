#include "brenvik_capture/run.h"

#include "probe/probe.h"
#include "recorder/recorder.h"

namespace {

const int32_t kUnitMode = 0;
const double kBoundaryLow = 30.0;
const double kBoundaryHigh = 44.0;
const double kBoundaryReference = 37.0;
const DWORD kPollMs = 200;
const int32_t kEnoughFrames = 7;   // more than this ends the run
const DWORD kTimeLimitMs = 14999;  // more elapsed than this ends the run

}  // namespace

// Run on the SDK's thread; return at once and touch nothing.
void onDist(float) {}
void onDistErr(int32_t) {}

int runCapture(const SdkEntryPoints& sdk, const RunClock& clock, FILE* console) {
  openMeta();
  sdk.SetUnitMode(kUnitMode);
  sdk.SetTempBoundary(kBoundaryLow, kBoundaryHigh, kBoundaryReference);
  sdk.SetNewIRFrameDelegate(onIR);
  sdk.SetNewDistanceDelegate(onDist);
  sdk.SetDistanceError(onDistErr);
  sdk.SetNewIRFrameDelegate(onIR);

  fputs("Start...\n", console);
  fflush(console);
  unsigned started = sdk.Start();
  fprintf(console, "Start=%d\n", static_cast<int>(started));
  fflush(console);

  // Taken after Start returns: time spent starting the camera is not the run's.
  const DWORD t0 = clock.tick();
  ProbeSweep sweep = {t0, 0};
  for (;;) {
    if (g_saved > kEnoughFrames) break;
    // Unsigned subtraction keeps the elapsed time right across the tick count's wrap.
    if (static_cast<DWORD>(clock.tick() - t0) > kTimeLimitMs) break;
    clock.sleep(kPollMs);
    probeTurn(&sweep, sdk, clock, console);
  }

  fprintf(console, "saved %d frames\n", static_cast<int>(g_saved));
  closeMeta();
  sdk.Stop();
  fputs("done\n", console);
  return 0;
}
