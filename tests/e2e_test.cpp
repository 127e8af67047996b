// The built tool run as a user runs it, against the simulated camera, in a scratch
// directory: its console, exit code and every file it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "e2e_support.h"

namespace {

struct LoaderCase {
  const char* name;
  // A variant's folder, or "text", "truncated", "needs_dependency", "none", "search_path".
  const char* library;
  const char* out;
  int exitCode;
  std::string trace;  // the simulator's calls; empty where none may happen
};
void PrintTo(const LoaderCase& c, std::ostream* os) { *os << c.name; }

class Loader : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(Loader, AcceptsOrRefusesLibrary) {
  const LoaderCase& c = GetParam();
  Layout at;
  const fs::path tool = at.bin.path() / kTool.filename(), library = at.bin.path() / "Brenvik.dll";
  fs::copy_file(kTool, tool);
  const std::string kind = c.library;
  Environment env = {{"BRENVIK_SIM_TRACE", at.trace().string()},
                     {"BRENVIK_SIM_FRAMES", "8"},
                     {"BRENVIK_SIM_FPS", "100"},
                     {"BRENVIK_SIM_WIDTH", "4"},
                     {"BRENVIK_SIM_HEIGHT", "2"}};
  if (kind == "text") {
    writeFile(library, "MZ but no library at all\n");
  } else if (kind == "truncated") {
    writeFile(library, readFile(BRENVIK_SIM).substr(0, 4096));
  } else if (kind == "needs_dependency") {
    fs::copy_file(BRENVIK_NEEDS_DEPENDENCY, library);
  } else if (kind == "search_path") {
    std::string search = fs::path(BRENVIK_SIM).parent_path().string();
    if (const char* now = std::getenv(kLibrarySearchVariable)) search += kPathListSeparator + std::string(now);
    env.push_back({kLibrarySearchVariable, search});
  } else if (kind != "none") {
    fs::copy_file(kVariants / kind / "Brenvik.dll", library);
  }

  ProcessResult r = runProgram(tool, at.work.path(), env);

  EXPECT_EQ(r.out, asText(c.out));
  EXPECT_EQ(r.exitCode, c.exitCode);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(at.trace()), asText(c.trace));
  if (c.exitCode != 0) {
    EXPECT_TRUE(listDirectory(at.work.path()).empty());
  } else {
    EXPECT_EQ(listDirectory(at.work.path()).size(), 9u);  // eight frames and the metadata
  }
}

// The calls of a whole run to a simulator that lacks the named entry points.
std::string traceWithout(std::vector<std::string> lacking) {
  std::string trace, line;
  for (char c : std::string(kFullTrace)) {
    line += c;
    if (c != '\n') continue;
    bool absent = false;
    for (const std::string& name : lacking) absent = absent || line.compare(0, name.size(), name) == 0;
    if (!absent) trace += line;
    line.clear();
  }
  return trace;
}

const char kRefused[] = "missing exports\n";
const char kCompleted[] = "Start...\nStart=1\nsaved 8 frames\ndone\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Loader,
    ::testing::Values(LoaderCase{"without_Start", "without_Start", kRefused, 2, ""},
                      LoaderCase{"without_SetNewIRFrameDelegate", "without_SetNewIRFrameDelegate", kRefused, 2, ""},
                      LoaderCase{"without_ReadTemperatureAtPoint", "without_ReadTemperatureAtPoint", kRefused, 2, ""},
                      LoaderCase{"without_any", "without_any", kRefused, 2, ""},
                      // A library lacking optional entry points is accepted; calls to them are skipped.
                      LoaderCase{"without_Stop", "without_Stop", kCompleted, 0, traceWithout({"Stop"})},
                      LoaderCase{"without_SetNewDistanceDelegate", "without_SetNewDistanceDelegate", kCompleted, 0,
                                 traceWithout({"SetNewDistanceDelegate"})},
                      LoaderCase{"without_SetDistanceError", "without_SetDistanceError", kCompleted, 0,
                                 traceWithout({"SetDistanceError"})},
                      LoaderCase{"without_SetTempBoundary", "without_SetTempBoundary", kCompleted, 0,
                                 traceWithout({"SetTempBoundary"})},
                      LoaderCase{"without_SetUnitMode", "without_SetUnitMode", kCompleted, 0,
                                 traceWithout({"SetUnitMode"})},
                      LoaderCase{"without_optional", "without_optional", kCompleted, 0,
                                 traceWithout({"Stop", "SetNewDistanceDelegate", "SetDistanceError", "SetTempBoundary",
                                               "SetUnitMode"})},
                      LoaderCase{"not_a_library", "text", "load fail 193\n", 1, ""},
                      LoaderCase{"truncated_library", "truncated", "load fail 193\n", 1, ""},
                      LoaderCase{"dependency_missing", "needs_dependency", "load fail 126\n", 1, ""},
                      LoaderCase{"no_library", "none", "load fail 126\n", 1, ""},
                      LoaderCase{"through_library_search", "search_path", kCompleted, 0, kFullTrace}),
    RowName());

struct CaptureCase {
  const char* name;
  Environment env;
  int startResult;
  int saved;
  int files, lines;
  int32_t width, height, channels;
  int step;  // frame file k holds the simulator's frame k * step
};
void PrintTo(const CaptureCase& c, std::ostream* os) { *os << c.name; }

class Capture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Capture, WritesFramesAndMetadata) {
  const CaptureCase& c = GetParam();
  Layout at;
  Environment env = c.env;
  env.push_back({"BRENVIK_SIM_TRACE", at.trace().string()});

  ProcessResult r = runProgram(kTool, at.work.path(), env);

  EXPECT_EQ(r.out, asText(console(c.startResult, c.saved)));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(at.trace()), asText(kFullTrace));
  std::vector<std::string> names = {"official_meta.txt"};
  for (int k = 0; k < c.files; ++k) {
    names.push_back(frameName(k));
    EXPECT_EQ(readFile(at.work.path() / frameName(k)), rendered(c.width, c.height, c.channels, int64_t{k} * c.step))
        << frameName(k);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(listDirectory(at.work.path()), names);
  EXPECT_EQ(readFile(at.work.path() / "official_meta.txt"), asText(metaLines(c.lines, c.width, c.height, c.channels)));
}

INSTANTIATE_TEST_SUITE_P(Cases, Capture,
                         ::testing::Values(CaptureCase{"eight_small_frames",
                                                       {{"BRENVIK_SIM_FRAMES", "8"},
                                                        {"BRENVIK_SIM_FPS", "100"},
                                                        {"BRENVIK_SIM_WIDTH", "4"},
                                                        {"BRENVIK_SIM_HEIGHT", "2"}},
                                                       1,
                                                       8,
                                                       8,
                                                       8,
                                                       4,
                                                       2,
                                                       3,
                                                       1},
                                           CaptureCase{"eight_default_frames",
                                                       {{"BRENVIK_SIM_FRAMES", "8"}, {"BRENVIK_SIM_FPS", "100"}},
                                                       1,
                                                       8,
                                                       8,
                                                       8,
                                                       160,
                                                       120,
                                                       3,
                                                       1},
                                           CaptureCase{"grey_frames_during_start_and_stop",
                                                       {{"BRENVIK_SIM_FRAMES", "0"},
                                                        {"BRENVIK_SIM_FRAMES_IN_START", "8"},
                                                        {"BRENVIK_SIM_FRAMES_IN_STOP", "5"},
                                                        {"BRENVIK_SIM_CHANNELS", "1"}},
                                                       1,
                                                       8,
                                                       10,
                                                       8,
                                                       160,
                                                       120,
                                                       1,
                                                       1},
                                           CaptureCase{"start_byte_255_and_a_burst",
                                                       {{"BRENVIK_SIM_FRAMES", "0"},
                                                        {"BRENVIK_SIM_FRAMES_IN_START", "12"},
                                                        {"BRENVIK_SIM_START_RESULT", "255"}},
                                                       255,
                                                       10,
                                                       10,
                                                       10,
                                                       160,
                                                       120,
                                                       3,
                                                       1},
                                           CaptureCase{"every_other_frame_null",
                                                       {{"BRENVIK_SIM_FRAMES", "0"},
                                                        {"BRENVIK_SIM_FRAMES_IN_START", "20"},
                                                        {"BRENVIK_SIM_NULL_EVERY", "2"}},
                                                       1,
                                                       10,
                                                       10,
                                                       10,
                                                       160,
                                                       120,
                                                       3,
                                                       2}),
                         RowName());

TEST(CaptureRun, LeavesEarlierFramesAloneAndEmptiesMetadata) {
  Layout at;
  writeFile(at.work.path() / frameName(9), "an earlier run's frame");
  writeFile(at.work.path() / "official_meta.txt", "0 1 1 1\n");
  ProcessResult r =
      runProgram(kTool, at.work.path(), {{"BRENVIK_SIM_FRAMES", "0"}, {"BRENVIK_SIM_FRAMES_IN_START", "8"}});
  EXPECT_EQ(r.out, asText(console(1, 8)));
  EXPECT_EQ(readFile(at.work.path() / frameName(9)), "an earlier run's frame");
  EXPECT_EQ(
      readFile(at.work.path() / "official_meta.txt"),
      asText(
          "0 160 120 3\n1 160 120 3\n2 160 120 3\n3 160 120 3\n4 160 120 3\n5 160 120 3\n6 160 120 3\n7 160 120 3\n"));
}

// The simulator's record at (x, y) before any frame, as the tool prints its first 24 bytes.
std::string probeLine(int32_t x, int32_t y) {
  const float celsius = sceneTemperature(160, 120, 0, x, y), emissivity = 0.95f;
  // The tool's boundaries: above 37 °C sets 1, outside 30 to 44 °C sets 2.
  const uint32_t flags = (celsius > 37 ? 1 : 0) | (celsius < 30 || celsius > 44 ? 2 : 0);
  unsigned char record[24] = {};
  std::memcpy(record, &celsius, 4);
  std::memcpy(record + 4, &x, 4);
  std::memcpy(record + 8, &y, 4);
  std::memcpy(record + 16, &emissivity, 4);
  std::memcpy(record + 20, &flags, 4);
  std::string line = "temp(" + std::to_string(x) + "," + std::to_string(y) + "): ";
  for (unsigned char byte : record) {
    char group[4];
    snprintf(group, sizeof group, "%02x ", byte);
    line += group;
  }
  return line + "\n";
}

// The one run in real time: a camera that sends nothing keeps the tool for 15 seconds,
// and it probes six points once three have passed.
TEST(CaptureRun, WithoutFramesEndsAfterFifteenSeconds) {
  Layout at;
  auto start = std::chrono::steady_clock::now();
  ProcessResult r = runProgram(kTool, at.work.path(), {{"BRENVIK_SIM_FRAMES", "0"}});
  auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();

  EXPECT_EQ(r.out, asText("Start...\nStart=1\n" + probeLine(40, 40) + probeLine(80, 40) + probeLine(120, 40) +
                          probeLine(40, 80) + probeLine(80, 80) + probeLine(120, 80) + "saved 0 frames\ndone\n"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_GE(took, 15000);
  EXPECT_LT(took, 16500);
  EXPECT_EQ(listDirectory(at.work.path()), std::vector<std::string>{"official_meta.txt"});
  EXPECT_EQ(readFile(at.work.path() / "official_meta.txt"), "");
}

}  // namespace
