#include "probe/probe.h"

#include <cstring>

namespace {

const DWORD kProbeAfterMs = 3000;  // probes start once more than this has elapsed
const int kProbes = 6;
const int kShownBytes = 24;

}  // namespace

void probeTurn(ProbeSweep* sweep, const SdkEntryPoints& sdk, const RunClock& clock, FILE* console) {
  if (static_cast<DWORD>(clock.tick() - sweep->t0) <= kProbeAfterMs) return;
  if (sweep->probes >= kProbes) return;

  // Three points across, then the same three one row lower.
  const int x = (sweep->probes % 3 + 1) * 40;
  const int y = (sweep->probes / 3 + 1) * 40;
  // Cleared every time, so bytes the SDK leaves unwritten read as zero.
  unsigned char record[kTemperatureRecordBytes];
  std::memset(record, 0, sizeof record);
  sdk.ReadTemperatureAtPoint(x, y, record);

  fprintf(console, "temp(%d,%d): ", x, y);
  for (int i = 0; i < kShownBytes; ++i) fprintf(console, "%02x ", static_cast<unsigned>(record[i]));
  fputs("\n", console);
  ++sweep->probes;
}
