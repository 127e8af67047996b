// The run's timeline against a fake camera and a virtual clock that advances only when
// the run sleeps, so a 15-second run takes microseconds.
#include "brenvik_capture/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "recorder/recorder.h"
#include "test_support.h"

namespace {

// The fake camera and the virtual clock share this state; the test sets it up, the run
// drives it.
struct Fake {
  DWORD now = 0;
  DWORD startTakesMs = 0;
  int firstSleepAdjust = 0;    // added to the first sleep, to move every later check
  std::vector<DWORD> frameAt;  // times after Start returned at which frames arrive
  size_t delivered = 0;
  DWORD startedAt = 0;
  int framesInStart = 0, framesInStop = 0;
  uint8_t startResult = 1;
  int sleeps = 0;
  std::vector<std::string> calls;
  IRFrameDelegate handler = nullptr;
  std::string frame = std::string(24, 'x');
  fs::path console;
  std::string consoleAtStart, consoleAtFirstSleep;
  std::vector<std::string> records;  // bytes written by each temperature read, in turn
  std::vector<DWORD> probedAt;       // elapsed time of each temperature read
  int dirtyRecords = 0;              // reads handed a record that was not all zero
  bool metaExistedAtFirstCall = false;
  bool metaOpenAtStop = true;
};
Fake* fake = nullptr;

void sendFrame() { fake->handler(reinterpret_cast<unsigned char*>(&fake->frame[0]), 4, 2, 3); }

DWORD fakeTick() { return fake->now; }
void fakeSleep(DWORD ms) {
  if (fake->sleeps++ == 0) {
    fake->consoleAtFirstSleep = readFile(fake->console);
    ms += fake->firstSleepAdjust;
  }
  DWORD until = fake->now + ms;
  while (fake->delivered < fake->frameAt.size() &&
         static_cast<DWORD>(fake->startedAt + fake->frameAt[fake->delivered] - fake->now) <= ms) {
    fake->delivered++;
    sendFrame();
  }
  fake->now = until;
}
const RunClock kFakeClock = {fakeTick, fakeSleep};

void call(const std::string& what) {
  if (fake->calls.empty()) fake->metaExistedAtFirstCall = fs::exists("official_meta.txt");
  fake->calls.push_back(what);
}

uint8_t fakeStart() {
  call("Start");
  fake->consoleAtStart = readFile(fake->console);
  for (int i = 0; i < fake->framesInStart; ++i) sendFrame();
  fake->now += fake->startTakesMs;
  fake->startedAt = fake->now;
  return fake->startResult;
}
void fakeStop() {
  call("Stop");
  fake->metaOpenAtStop = g_meta != nullptr;
  for (int i = 0; i < fake->framesInStop; ++i) sendFrame();
}
void fakeSetFrame(IRFrameDelegate handler) {
  call(handler == onIR ? "SetNewIRFrameDelegate onIR" : "SetNewIRFrameDelegate ?");
  fake->handler = handler;
}
void fakeSetDistance(DistanceDelegate handler) { call(handler == onDist ? "SetNewDistanceDelegate onDist" : "?"); }
void fakeSetDistanceError(DistanceErrorDelegate handler) {
  call(handler == onDistErr ? "SetDistanceError onDistErr" : "?");
}
void fakeReadTemperature(int32_t x, int32_t y, unsigned char* record) {
  call("ReadTemperatureAtPoint " + std::to_string(x) + " " + std::to_string(y));
  if (std::count(record, record + kTemperatureRecordBytes, 0) != kTemperatureRecordBytes) fake->dirtyRecords++;
  size_t turn = fake->probedAt.size();
  fake->probedAt.push_back(fake->now - fake->startedAt);
  if (turn < fake->records.size()) std::memcpy(record, fake->records[turn].data(), fake->records[turn].size());
}
void fakeSetBoundary(double low, double high, double reference) {
  char text[64];
  snprintf(text, sizeof text, "SetTempBoundary %g %g %g", low, high, reference);
  call(text);
}
void fakeSetUnitMode(int32_t mode) { call("SetUnitMode " + std::to_string(mode)); }

const SdkEntryPoints kFakeSdk = {
    fakeStart,           fakeStop,        fakeSetFrame,   fakeSetDistance, fakeSetDistanceError,
    fakeReadTemperature, fakeSetBoundary, fakeSetUnitMode};

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = &state;
    state.console = dir.path() / "console.txt";
  }
  void TearDown() override { fake = nullptr; }

  // Runs the capture and returns its console text.
  std::string run() {
    FILE* console = fopen(state.console.string().c_str(), "wb");
    exitCode = runCapture(kFakeSdk, kFakeClock, console);
    fclose(console);
    return readFile(state.console);
  }

  Fake state;
  TempDir dir;
  InDirectory in{dir.path()};
  int exitCode = -1;
};

std::vector<DWORD> every(DWORD step, int count, DWORD first) {
  std::vector<DWORD> times;
  for (int i = 0; i < count; ++i) times.push_back(first + step * i);
  return times;
}

const char kZeroGroups[] = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n";
const char* const kProbePoints[] = {
    "temp(40,40): ", "temp(80,40): ", "temp(120,40): ", "temp(40,80): ", "temp(80,80): ", "temp(120,80): "};

// The console of a run whose SDK leaves every temperature record empty.
std::string console(int startResult, int saved, int probes) {
  std::string text = "Start...\nStart=" + std::to_string(startResult) + "\n";
  for (int i = 0; i < probes; ++i) text += std::string(kProbePoints[i]) + kZeroGroups;
  return text + "saved " + std::to_string(saved) + " frames\ndone\n";
}

struct Timeline {
  const char* name;
  DWORD startTick;
  DWORD startTakesMs;
  int firstSleepAdjust;
  std::vector<DWORD> frameAt;
  int framesInStart;
  int sleeps;  // cycles the run sleeps through before a stop test ends it
  int saved;
  int probes;
  DWORD firstProbeAt;  // elapsed time of the first probe
};
void PrintTo(const Timeline& c, std::ostream* os) { *os << c.name; }

class RunTimeline : public Run, public ::testing::WithParamInterface<Timeline> {};

TEST_P(RunTimeline, EndsAtFirstStopTestThatHolds) {
  const Timeline& t = GetParam();
  state.now = t.startTick;
  state.startTakesMs = t.startTakesMs;
  state.firstSleepAdjust = t.firstSleepAdjust;
  state.frameAt = t.frameAt;
  state.framesInStart = t.framesInStart;

  EXPECT_EQ(run(), console(1, t.saved, t.probes));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(state.sleeps, t.sleeps);
  if (t.probes > 0) {
    EXPECT_EQ(state.probedAt.at(0), t.firstProbeAt);
  }
}

const DWORD kWrapsSoon = 0xFFFFFFFFu - 5000u;

INSTANTIATE_TEST_SUITE_P(
    Cases, RunTimeline,
    ::testing::Values(
        // Checks at 0, 200, ..., 15000 ms: the one at 15000 ends it. Probes from 3200 ms.
        Timeline{"no_frames_ends_at_15000_ms", 1000, 0, 0, {}, 0, 75, 0, 6, 3200},
        // Checks at 0, 199, ..., 14999, 15199: 14999 is not yet the limit.
        Timeline{"check_at_14999_ms_goes_on", 1000, 0, -1, {}, 0, 76, 0, 6, 3199},
        // Readings after the sleeps at 201, ..., 3001: the first past 3000 probes.
        Timeline{"check_at_15001_ms_ends", 1000, 0, 1, {}, 0, 75, 0, 6, 3001},
        Timeline{"tick_count_wraps_during_run", kWrapsSoon, 0, 0, {}, 0, 75, 0, 6, 3200},
        Timeline{"tick_count_wraps_at_3000_ms", 0xFFFFFFFFu - 2999u, 0, 0, {}, 0, 75, 0, 6, 3200},
        Timeline{"tick_count_wraps_at_start", 0xFFFFFFFFu, 0, 0, {}, 0, 75, 0, 6, 3200},
        Timeline{"time_inside_start_not_counted", 1000, 4000, 0, {}, 0, 75, 0, 6, 3200},
        // The eighth frame lands in the fourth sleep; the next check ends the run.
        Timeline{"eighth_frame_ends_run", 1000, 0, 0, every(100, 8, 100), 0, 4, 8, 0, 0},
        Timeline{"seven_frames_run_full_time", 1000, 0, 0, every(100, 7, 100), 0, 75, 7, 6, 3200},
        Timeline{"burst_counts_ten_at_most", 1000, 0, 0, every(10, 12, 10), 0, 1, 10, 0, 0},
        Timeline{"eighth_frame_in_last_sleep", kWrapsSoon, 0, 0, every(100, 8, 14300), 0, 75, 8, 6, 3200},
        // The reading after the sleep that brings the eighth frame is 3000: no probe.
        Timeline{"eighth_frame_by_3000_ms_no_probe", 1000, 0, 0, every(100, 8, 2300), 0, 15, 8, 0, 0},
        // The eighth frame comes in the sleep that first crosses 3000 ms: that cycle probes.
        Timeline{"eighth_frame_as_3000_ms_passes", 1000, 0, 0, every(100, 8, 2400), 0, 16, 8, 1, 3200},
        Timeline{"frames_end_run_after_three_probes", 1000, 0, 0, every(100, 8, 2900), 0, 18, 8, 3, 3200},
        // Eight frames handled while Start ran: the first test ends the run at once.
        Timeline{"frames_during_start_end_run_at_once", 1000, 500, 0, {}, 8, 0, 8, 0, 0},
        Timeline{"seven_during_start_one_after", 1000, 0, 0, {150}, 7, 1, 8, 0, 0}),
    RowName());

TEST_F(Run, CallsSdkInOrderAroundTheMetadataFile) {
  state.frameAt = every(50, 8, 50);
  run();
  const std::vector<std::string> expected = {"SetUnitMode 0",
                                             "SetTempBoundary 30 44 37",
                                             "SetNewIRFrameDelegate onIR",
                                             "SetNewDistanceDelegate onDist",
                                             "SetDistanceError onDistErr",
                                             "SetNewIRFrameDelegate onIR",
                                             "Start",
                                             "Stop"};
  EXPECT_EQ(state.calls, expected);
  EXPECT_TRUE(state.metaExistedAtFirstCall);
  EXPECT_FALSE(state.metaOpenAtStop);
}

TEST_F(Run, FlushesStartLinesBeforeStartAndBeforeSleeping) {
  state.startResult = 255;
  EXPECT_EQ(run(), console(255, 0, 6));
  EXPECT_EQ(state.consoleAtStart, "Start...\n");
  EXPECT_EQ(state.consoleAtFirstSleep, "Start...\nStart=255\n");
}

TEST_F(Run, FramesDuringStopGetFilesButNoLines) {
  state.framesInStart = 8;
  state.framesInStop = 3;
  EXPECT_EQ(run(), console(1, 8, 0));
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(fs::exists(dir.path() / frameName(i))) << i;
  EXPECT_FALSE(fs::exists(dir.path() / frameName(10)));
  std::string lines;
  for (int i = 0; i < 8; ++i) lines += std::to_string(i) + " 4 2 3\n";
  EXPECT_EQ(readFile(dir.path() / "official_meta.txt"), asText(lines));
}

TEST_F(Run, ProbesSixPointsInOrderThenNoMore) {
  run();
  const std::vector<std::string> probes(state.calls.begin() + 7, state.calls.end() - 1);
  const std::vector<std::string> expected = {"ReadTemperatureAtPoint 40 40",  "ReadTemperatureAtPoint 80 40",
                                             "ReadTemperatureAtPoint 120 40", "ReadTemperatureAtPoint 40 80",
                                             "ReadTemperatureAtPoint 80 80",  "ReadTemperatureAtPoint 120 80"};
  EXPECT_EQ(probes, expected);
  EXPECT_EQ(state.probedAt, (std::vector<DWORD>{3200, 3400, 3600, 3800, 4000, 4200}));
}

TEST_F(Run, ProbeLinesShowFirst24BytesOfClearedRecord) {
  std::string full(64, '\xee'), counting;
  for (int i = 0; i < 24; ++i) counting += static_cast<char>(i * 11);  // 0x00 to 0xfd, past 0x7f
  state.records = {full, "\x7f\x80\x0a", counting, "", std::string(1, '\xff')};
  std::string out = run();

  EXPECT_EQ(state.dirtyRecords, 0);
  const std::string expected =
      "temp(40,40): ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee ee \n"
      "temp(80,40): 7f 80 0a 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
      "temp(120,40): 00 0b 16 21 2c 37 42 4d 58 63 6e 79 84 8f 9a a5 b0 bb c6 d1 dc e7 f2 fd \n"
      "temp(40,80): 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
      "temp(80,80): ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
      "temp(120,80): 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n";
  EXPECT_EQ(out, "Start...\nStart=1\n" + expected + "saved 0 frames\ndone\n");
}

}  // namespace
