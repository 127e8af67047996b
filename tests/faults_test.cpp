// The built tool when its files can't be created: the run completes all the same.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

struct BlockedFile {
  const char* name;
  const char* blocked;  // a directory of this name stands where the tool writes a file
};
void PrintTo(const BlockedFile& c, std::ostream* os) { *os << c.name; }

class FileBlocked : public ::testing::TestWithParam<BlockedFile> {};

TEST_P(FileBlocked, RunCompletesWithTheOtherFiles) {
  const std::string blocked = GetParam().blocked;
  Layout at;
  fs::create_directory(at.work.path() / blocked);
  ProcessResult r = runProgram(
      kTool, at.work.path(),
      {{"BRENVIK_SIM_FRAMES", "0"}, {"BRENVIK_SIM_FRAMES_IN_START", "8"}, {"BRENVIK_SIM_TRACE", at.trace().string()}});

  EXPECT_EQ(r.out, asText(console(1, 8)));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(at.trace()), asText(kFullTrace));
  EXPECT_TRUE(fs::is_directory(at.work.path() / blocked));
  for (int k = 0; k < 8; ++k) {
    if (frameName(k) != blocked) {
      EXPECT_EQ(readFile(at.work.path() / frameName(k)), rendered(160, 120, 3, k)) << k;
    }
  }
  if (blocked != "official_meta.txt") {
    EXPECT_EQ(readFile(at.work.path() / "official_meta.txt"), asText(metaLines(8, 160, 120, 3)));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileBlocked,
                         ::testing::Values(BlockedFile{"metadata_file", "official_meta.txt"},
                                           BlockedFile{"first_frame_file", "official_ir_00.rgb"},
                                           BlockedFile{"last_frame_file", "official_ir_07.rgb"}),
                         RowName());

}  // namespace
