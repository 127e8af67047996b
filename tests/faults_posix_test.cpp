// The built tool when writes fail in ways only Linux can stage from outside: a file-size
// limit that cuts frame files short, and a standard output that can't be written at all.
#include "faults_posix.h"

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

TEST(WritesFail, ShortFrameFilesStillCountAndGetLines) {
  Layout at;
  ChildFaults faults;
  faults.fileSizeLimit = 20000;  // a 160 x 120 x 3 frame is 57600 bytes
  ProcessResult r = runProgramWithFaults(
      kTool, at.work.path(),
      {{"BRENVIK_SIM_FRAMES", "0"}, {"BRENVIK_SIM_FRAMES_IN_START", "8"}, {"BRENVIK_SIM_TRACE", at.trace().string()}},
      faults);

  EXPECT_EQ(r.out, console(1, 8));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(at.trace()), kFullTrace);
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(readFile(at.work.path() / frameName(k)), rendered(160, 120, 3, k).substr(0, 20000)) << k;
  EXPECT_EQ(readFile(at.work.path() / "official_meta.txt"), metaLines(8, 160, 120, 3));
}

struct BadOutput {
  const char* name;
  const char* path;
  bool readerGone;
};
void PrintTo(const BadOutput& c, std::ostream* os) { *os << c.name; }

class OutputFails : public ::testing::TestWithParam<BadOutput> {};

// A failed write to standard output neither ends the run nor changes its exit code.
TEST_P(OutputFails, RunCompletesAndStopsCamera) {
  Layout at;
  ChildFaults faults;
  faults.stdoutPath = GetParam().path;
  faults.stdoutReaderGone = GetParam().readerGone;
  ProcessResult r = runProgramWithFaults(
      kTool, at.work.path(),
      {{"BRENVIK_SIM_FRAMES", "8"}, {"BRENVIK_SIM_FPS", "100"}, {"BRENVIK_SIM_TRACE", at.trace().string()}}, faults);

  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(at.trace()), kFullTrace);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(readFile(at.work.path() / frameName(k)), rendered(160, 120, 3, k)) << k;
  EXPECT_EQ(readFile(at.work.path() / "official_meta.txt"), metaLines(8, 160, 120, 3));
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputFails,
                         ::testing::Values(BadOutput{"device_full", "/dev/full", false},
                                           BadOutput{"pipe_reader_gone", nullptr, true}),
                         RowName());

}  // namespace
