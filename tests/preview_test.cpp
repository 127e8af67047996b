// brenvik_preview on frames the tool captured from the simulator, and on bad input.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "e2e_support.h"

namespace {

const fs::path kPreview = BRENVIK_PREVIEW;

struct Picture {
  int width = 0, height = 0, channels = 0;
  std::string pixels;
};

Picture decodePng(const fs::path& path) {
  Picture p;
  unsigned char* data = stbi_load(path.string().c_str(), &p.width, &p.height, &p.channels, 0);
  if (data == nullptr) return p;
  p.pixels.assign(reinterpret_cast<char*>(data), static_cast<size_t>(p.width) * p.height * p.channels);
  stbi_image_free(data);
  return p;
}

struct CaptureToPng {
  const char* name;
  int32_t width, height, channels;
  bool swap;
};
void PrintTo(const CaptureToPng& c, std::ostream* os) { *os << c.name; }

class PreviewCapture : public ::testing::TestWithParam<CaptureToPng> {};

TEST_P(PreviewCapture, PngHoldsTheRawFramesPixels) {
  const CaptureToPng& c = GetParam();
  Layout at;
  ProcessResult capture = runProgram(kTool, at.work.path(),
                                     {{"BRENVIK_SIM_FRAMES", "0"},
                                      {"BRENVIK_SIM_FRAMES_IN_START", "8"},
                                      {"BRENVIK_SIM_WIDTH", std::to_string(c.width)},
                                      {"BRENVIK_SIM_HEIGHT", std::to_string(c.height)},
                                      {"BRENVIK_SIM_CHANNELS", std::to_string(c.channels)}});
  ASSERT_EQ(capture.exitCode, 0);

  std::vector<std::string> args;
  if (c.swap) args.push_back("--swap");
  args.push_back(at.work.path().string());
  ProcessResult r = runProgram(kPreview, at.scratch.path(), {}, args);

  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  const int width = c.swap ? c.height : c.width, height = c.swap ? c.width : c.height;
  for (int k = 0; k < 8; ++k) {
    const std::string png = "official_ir_0" + std::to_string(k) + ".png";
    Picture p = decodePng(at.work.path() / png);
    EXPECT_EQ(p.width, width) << png;
    EXPECT_EQ(p.height, height) << png;
    EXPECT_EQ(p.channels, c.channels) << png;
    EXPECT_TRUE(p.pixels == readFile(at.work.path() / frameName(k))) << png << " differs from the raw frame";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewCapture,
                         ::testing::Values(CaptureToPng{"rgb", 160, 120, 3, false},
                                           CaptureToPng{"grey", 160, 120, 1, false},
                                           CaptureToPng{"rgba", 64, 48, 4, false},
                                           CaptureToPng{"sides_swapped", 40, 30, 3, true}),
                         RowName());

struct BadInput {
  const char* name;
  const char* meta;    // the metadata file; null for none
  const char* frame1;  // official_ir_01.rgb's bytes; null for no such file
  int exitCode;
  const char* problem;  // the message's end, after "brenvik_preview: <file>: "
  bool metaProblem;     // the message names the metadata file rather than frame 1
};
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class PreviewBadInput : public ::testing::TestWithParam<BadInput> {};

// Frames 0 and 2 are always good: they are converted whatever is wrong with frame 1.
TEST_P(PreviewBadInput, SaysWhatIsWrongAndConvertsTheRest) {
  const BadInput& c = GetParam();
  TempDir dir;
  const std::string good(24, '\x7f');
  writeFile(dir.path() / "official_ir_00.rgb", good);
  writeFile(dir.path() / "official_ir_02.rgb", good);
  if (c.frame1) writeFile(dir.path() / "official_ir_01.rgb", c.frame1);
  if (c.meta) writeFile(dir.path() / "official_meta.txt", c.meta);

  ProcessResult r = runProgram(kPreview, dir.path(), {}, {"."});

  const std::string file = (fs::path(".") / (c.metaProblem ? "official_meta.txt" : "official_ir_01.rgb")).string();
  EXPECT_EQ(r.exitCode, c.exitCode);
  EXPECT_EQ(r.err, c.problem[0] ? asText("brenvik_preview: " + file + c.problem + "\n") : "");
  if (c.exitCode == 2) return;
  EXPECT_EQ(decodePng(dir.path() / "official_ir_00.png").pixels, good);
  EXPECT_EQ(decodePng(dir.path() / "official_ir_02.png").pixels, good);
  EXPECT_EQ(fs::exists(dir.path() / "official_ir_01.png"), c.exitCode == 0);
}

const char k24[] = "012345678901234567890123";

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewBadInput,
    ::testing::Values(
        BadInput{"all_good", "0 4 2 3\n1 4 2 3\n2 4 2 3\n", k24, 0, "", false},
        BadInput{"crlf_lines", "0 4 2 3\r\n1 4 2 3\r\n2 4 2 3\r\n", k24, 0, "", false},
        BadInput{"no_metadata_file", nullptr, k24, 2, ": can't be read", true},
        BadInput{"missing_frame", "0 4 2 3\n1 4 2 3\n2 4 2 3\n", nullptr, 1, ": the frame file is missing", false},
        BadInput{"short_frame", "0 4 2 3\n1 4 2 3\n2 4 2 3\n", "0123456789", 1,
                 ": the frame file holds 10 bytes, 24 expected", false},
        BadInput{"long_frame", "0 4 2 3\n1 4 2 3\n2 4 2 3\n", "0123456789012345678901234567", 1,
                 ": the frame file holds 28 bytes, 24 expected", false},
        BadInput{"three_numbers", "0 4 2 3\n1 4 2\n2 4 2 3\n", k24, 1, ":2: not a line \"N A B C\": \"1 4 2\"", true},
        BadInput{"words", "0 4 2 3\nsaved 8 frames\r\n2 4 2 3\n", k24, 1,
                 ":2: not a line \"N A B C\": \"saved 8 frames\"", true},
        BadInput{"number_too_big", "0 4 2 3\n1 4 99999999999 3\n2 4 2 3\n", k24, 1,
                 ":2: not a line \"N A B C\": \"1 4 99999999999 3\"", true},
        BadInput{"five_bytes_per_pixel", "0 4 2 3\n1 4 2 5\n2 4 2 3\n", k24, 1,
                 ": unsupported bytes per pixel 5 (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA)", false},
        BadInput{"no_bytes_per_pixel", "0 4 2 3\n1 4 2 0\n2 4 2 3\n", k24, 1,
                 ": unsupported bytes per pixel 0 (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA)", false},
        BadInput{"negative_width", "0 4 2 3\n1 -4 2 3\n2 4 2 3\n", k24, 1, ": no picture of -4 x 2 pixels", false},
        BadInput{"zero_height", "0 4 2 3\n1 4 0 3\n2 4 2 3\n", k24, 1, ": no picture of 4 x 0 pixels", false},
        BadInput{"too_wide", "0 4 2 3\n1 40000 2 3\n2 4 2 3\n", k24, 1, ": 40000 x 2 pixels is too large", false},
        BadInput{"too_many_bytes", "0 4 2 3\n1 30000 30000 4\n2 4 2 3\n", k24, 1, ": 30000 x 30000 pixels is too large",
                 false}),
    RowName());

}  // namespace
