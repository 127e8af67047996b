// The built tool against a simulator that delivers hard: from several threads at once,
// while Start and Stop run, and without pause. Each case is run many times.
#include <gtest/gtest.h>

#include <set>

#include "e2e_support.h"

namespace {

const int32_t kWidth = 16, kHeight = 8, kChannels = 3;

struct StressCase {
  const char* name;
  Environment env;
  int64_t frames;  // how many frames the simulator sends at most, so every one can be known
  int runs;
};
void PrintTo(const StressCase& c, std::ostream* os) { *os << c.name; }

class Stress : public ::testing::TestWithParam<StressCase> {};

TEST_P(Stress, EveryIndexOnceEveryFileOneWholeFrame) {
  const StressCase& c = GetParam();
  std::set<std::string> frames;
  for (int64_t k = 0; k < c.frames; ++k) frames.insert(rendered(kWidth, kHeight, kChannels, k));
  Environment env = c.env;
  env.push_back({"BRENVIK_SIM_WIDTH", std::to_string(kWidth)});
  env.push_back({"BRENVIK_SIM_HEIGHT", std::to_string(kHeight)});

  for (int run = 0; run < c.runs; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    Layout at;
    ProcessResult r = runProgram(kTool, at.work.path(), env);
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.err, "");
    int saved = -1;
    ASSERT_EQ(std::sscanf(r.out.c_str(), asText("Start...\nStart=1\nsaved %d frames\n").c_str(), &saved), 1) << r.out;
    ASSERT_EQ(r.out, asText(console(1, saved)));
    EXPECT_GE(saved, 8);
    EXPECT_LE(saved, 10);
    // Lines 0 to n - 1 in order, no duplicate: at least the printed count, at most ten.
    const std::string meta = readFile(at.work.path() / "official_meta.txt");
    bool prefix = false;
    for (int lines = saved; lines <= 10; ++lines)
      prefix = prefix || meta == asText(metaLines(lines, kWidth, kHeight, kChannels));
    EXPECT_TRUE(prefix) << meta;
    for (int k = 0; k < 10; ++k)
      EXPECT_EQ(frames.count(readFile(at.work.path() / frameName(k))), 1u) << frameName(k) << " is not one whole frame";
    EXPECT_FALSE(fs::exists(at.work.path() / frameName(10)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Stress,
    ::testing::Values(
        StressCase{"four_threads_thousands_of_frames",
                   {{"BRENVIK_SIM_THREADS", "4"}, {"BRENVIK_SIM_FRAMES", "2000"}, {"BRENVIK_SIM_FPS", "0"}},
                   8000,
                   10},
        StressCase{
            "frames_during_start", {{"BRENVIK_SIM_FRAMES_IN_START", "1000"}, {"BRENVIK_SIM_FRAMES", "0"}}, 1000, 10},
        StressCase{
            "frames_during_stop_after_close",
            {{"BRENVIK_SIM_FRAMES_IN_START", "8"}, {"BRENVIK_SIM_FRAMES", "0"}, {"BRENVIK_SIM_FRAMES_IN_STOP", "1000"}},
            1008,
            10},
        StressCase{"bursts_everywhere",
                   {{"BRENVIK_SIM_THREADS", "3"},
                    {"BRENVIK_SIM_FRAMES", "3000"},
                    {"BRENVIK_SIM_FPS", "0"},
                    {"BRENVIK_SIM_FRAMES_IN_START", "5"},
                    {"BRENVIK_SIM_FRAMES_IN_STOP", "500"},
                    {"BRENVIK_SIM_NULL_EVERY", "3"}},
                   9505,
                   10}),
    RowName());

}  // namespace
