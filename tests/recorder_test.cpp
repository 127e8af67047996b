// The frame handler and the files it writes, in a scratch directory of their own.
#include "recorder/recorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <thread>

#include "test_support.h"

namespace {

// A frame of a * b * c bytes whose every byte tells the frame apart from others.
std::string frameBytes(int32_t a, int32_t b, int32_t c, int seed) {
  std::string bytes(static_cast<size_t>(a) * b * c, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(seed * 31 + i * 7);
  return bytes;
}

void deliver(std::string& bytes, int32_t a, int32_t b, int32_t c) {
  onIR(reinterpret_cast<unsigned char*>(&bytes[0]), a, b, c);
}

class Recorder : public ::testing::Test {
 protected:
  void SetUp() override { openMeta(); }
  void TearDown() override { closeMeta(); }
  std::string meta() const { return readFile(dir.path() / "official_meta.txt"); }
  bool has(const std::string& name) const { return fs::exists(dir.path() / name); }

  TempDir dir;
  InDirectory in{dir.path()};
};

struct OneFrame {
  const char* name;
  bool null;
  int32_t a, b, c;
  const char* line;  // null: the frame must leave no trace at all
};
void PrintTo(const OneFrame& c, std::ostream* os) { *os << c.name; }

class RecorderOneFrame : public Recorder, public ::testing::WithParamInterface<OneFrame> {};

TEST_P(RecorderOneFrame, WritesFileLineAndCountOrNothing) {
  const OneFrame& f = GetParam();
  // Data for 24 bytes: enough for every frame the handler may accept here.
  std::string bytes = frameBytes(4, 2, 3, 1);
  onIR(f.null ? nullptr : reinterpret_cast<unsigned char*>(&bytes[0]), f.a, f.b, f.c);

  if (f.line == nullptr) {
    EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"official_meta.txt"});
    EXPECT_EQ(meta(), "");
    EXPECT_EQ(g_saved, 0);
    return;
  }
  EXPECT_EQ(readFile(dir.path() / frameName(0)), bytes.substr(0, static_cast<size_t>(int64_t{f.a} * f.b * f.c)));
  EXPECT_EQ(meta(), asText(f.line));
  EXPECT_EQ(g_saved, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecorderOneFrame,
    ::testing::Values(
        OneFrame{"rgb_4x2x3", false, 4, 2, 3, "0 4 2 3\n"}, OneFrame{"grey_24x1x1", false, 24, 1, 1, "0 24 1 1\n"},
        OneFrame{"zero_width", false, 0, 120, 3, "0 0 120 3\n"},
        OneFrame{"zero_channels", false, 160, 120, 0, "0 160 120 0\n"}, OneFrame{"null_data", true, 4, 2, 3, nullptr},
        OneFrame{"negative_width", false, -4, 2, 3, nullptr}, OneFrame{"negative_channels", false, 4, 2, -3, nullptr},
        OneFrame{"two_negatives", false, -4, -2, 3, nullptr}, OneFrame{"most_negative", false, INT_MIN, 1, 1, nullptr},
        OneFrame{"product_overflows", false, INT_MAX, INT_MAX, INT_MAX, nullptr},
        OneFrame{"product_overflows_by_channels", false, INT_MAX, INT_MAX, 4, nullptr},
        OneFrame{"huge_sides_zero_channels", false, INT_MAX, INT_MAX, 0, "0 2147483647 2147483647 0\n"}),
    RowName());

TEST_F(Recorder, KeepsFirstTenFramesAndIgnoresTheRest) {
  std::vector<std::string> frames;
  for (int i = 0; i < 12; ++i) frames.push_back(frameBytes(4, 2, 3, i));
  for (std::string& f : frames) deliver(f, 4, 2, 3);

  std::string lines;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(readFile(dir.path() / frameName(i)), frames[i]) << i;
    lines += std::to_string(i) + " 4 2 3\n";
  }
  EXPECT_FALSE(has(frameName(10)));
  EXPECT_EQ(meta(), asText(lines));
  EXPECT_EQ(g_saved, 10);
}

// Line ends and end-of-file marks among the bytes must reach the file untranslated.
TEST_F(Recorder, EveryByteValueIsWrittenAsItIs) {
  std::string frame;
  for (int i = 0; i < 256; ++i) frame += static_cast<char>(i);
  frame += "\r\n\n\r\x1a";
  deliver(frame, 261, 1, 1);
  EXPECT_EQ(readFile(dir.path() / frameName(0)), frame);
}

TEST_F(Recorder, NullFrameTakesNoIndex) {
  std::string first = frameBytes(4, 2, 3, 1), second = frameBytes(4, 2, 3, 2);
  deliver(first, 4, 2, 3);
  onIR(nullptr, 4, 2, 3);
  deliver(second, 4, 2, 3);
  EXPECT_EQ(readFile(dir.path() / frameName(1)), second);
  EXPECT_EQ(meta(), asText("0 4 2 3\n1 4 2 3\n"));
  EXPECT_EQ(g_saved, 2);
}

TEST_F(Recorder, FramesStillRecordedWithoutMetadataFile) {
  closeMeta();
  fs::remove(dir.path() / "official_meta.txt");
  fs::create_directory(dir.path() / "official_meta.txt");  // can't be opened as a file, even by root
  openMeta();
  EXPECT_EQ(g_meta, nullptr);

  std::string frame = frameBytes(4, 2, 3, 5);
  deliver(frame, 4, 2, 3);
  EXPECT_EQ(readFile(dir.path() / frameName(0)), frame);
  EXPECT_EQ(g_saved, 1);
}

TEST_F(Recorder, FrameFileThatCannotBeCreatedStillGetsLineAndIndex) {
  fs::create_directory(dir.path() / frameName(0));
  std::string first = frameBytes(4, 2, 3, 1), second = frameBytes(4, 2, 3, 2);
  deliver(first, 4, 2, 3);
  deliver(second, 4, 2, 3);
  EXPECT_TRUE(fs::is_directory(dir.path() / frameName(0)));
  EXPECT_EQ(readFile(dir.path() / frameName(1)), second);
  EXPECT_EQ(meta(), asText("0 4 2 3\n1 4 2 3\n"));
  EXPECT_EQ(g_saved, 2);
}

TEST_F(Recorder, FrameAfterCloseGetsFileButNoLine) {
  std::string first = frameBytes(4, 2, 3, 1), late = frameBytes(4, 2, 3, 2);
  deliver(first, 4, 2, 3);
  closeMeta();
  deliver(late, 4, 2, 3);
  EXPECT_EQ(readFile(dir.path() / frameName(1)), late);
  EXPECT_EQ(meta(), asText("0 4 2 3\n"));
  EXPECT_EQ(g_saved, 2);
}

TEST_F(Recorder, OpeningEmptiesMetadataAndLeavesOldFramesAlone) {
  std::string frame = frameBytes(4, 2, 3, 1);
  deliver(frame, 4, 2, 3);
  writeFile(dir.path() / frameName(9), "from an earlier run");
  closeMeta();
  openMeta();
  EXPECT_EQ(meta(), "");
  EXPECT_EQ(g_saved, 0);
  EXPECT_EQ(readFile(dir.path() / frameName(9)), "from an earlier run");
}

TEST_F(Recorder, ConcurrentDeliveryHandsOutEachIndexOnce) {
  const int kThreads = 4, kFramesEach = 200;
  std::vector<std::vector<std::string>> frames(kThreads);
  std::set<std::string> all;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kFramesEach; ++i) {
      frames[t].push_back(frameBytes(16, 8, 3, t * kFramesEach + i));
      all.insert(frames[t].back());
    }
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&frames, t] {
      for (std::string& f : frames[t]) deliver(f, 16, 8, 3);
    });
  for (std::thread& t : threads) t.join();

  std::set<std::string> saved;
  std::string lines;
  for (int i = 0; i < 10; ++i) {
    std::string bytes = readFile(dir.path() / frameName(i));
    EXPECT_EQ(all.count(bytes), 1u) << "file " << i << " is not one whole frame";
    saved.insert(bytes);
    lines += std::to_string(i) + " 16 8 3\n";
  }
  EXPECT_EQ(saved.size(), 10u);
  EXPECT_EQ(meta(), asText(lines));
  EXPECT_EQ(g_saved, 10);
}

// Lines of frames 0 to count - 1 of 16 x 8 x 3 bytes.
std::string smallFrameLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += std::to_string(i) + " 16 8 3\n";
  return asText(lines);
}

TEST_F(Recorder, CloseWhileFramesArriveLeavesWholeLinesInOrder) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) {
        std::string frame = frameBytes(16, 8, 3, t * 50 + i);
        deliver(frame, 16, 8, 3);
      }
    });
  closeMeta();
  for (std::thread& t : threads) t.join();

  const std::string lines = meta();
  bool prefix = false;
  for (int count = 0; count <= 10; ++count) prefix = prefix || lines == smallFrameLines(count);
  EXPECT_TRUE(prefix) << lines;
  EXPECT_EQ(g_saved, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(fs::file_size(dir.path() / frameName(i)), 16u * 8 * 3) << i;
}

// Random dimensions and null pointers: a frame is refused without its data being read, or
// written whole and no further. Each accepted frame comes in a buffer of exactly its size,
// so that AddressSanitizer catches any read past it.
TEST_F(Recorder, RandomFramesAreWrittenWithinTheirSizeOrRefused) {
  std::mt19937 random(20261211);
  const int32_t picks[] = {INT_MIN, -65536, -2, -1, 0, 1, 2, 3, 7, 16, 64, 255, 4096, 65536, INT_MAX};
  int accepted = 0, refused = 0;
  while (accepted < 300 || refused < 300) {
    int32_t d[3];
    for (int32_t& x : d) x = random() % 4 ? picks[random() % 15] : static_cast<int32_t>(random());
    const bool null = random() % 8 == 0;
    const __int128 product = static_cast<__int128>(d[0]) * d[1] * d[2];
    const bool valid = d[0] >= 0 && d[1] >= 0 && d[2] >= 0 && product <= INT64_MAX;
    if (valid && product > 4096) continue;  // larger frames are not worth the memory here
    const size_t size = valid ? static_cast<size_t>(product) : 16;
    std::vector<unsigned char> frame(std::max<size_t>(size, 1));
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<unsigned char>(random());

    openMeta();
    onIR(null ? nullptr : frame.data(), d[0], d[1], d[2]);
    closeMeta();

    SCOPED_TRACE(std::to_string(d[0]) + " x " + std::to_string(d[1]) + " x " + std::to_string(d[2]) +
                 (null ? " null" : ""));
    const fs::path written = dir.path() / frameName(0);
    if (!null && valid) {
      ++accepted;
      ASSERT_EQ(readFile(written), std::string(frame.begin(), frame.begin() + size));
      ASSERT_EQ(g_saved, 1);
      fs::remove(written);
    } else {
      ++refused;
      ASSERT_FALSE(fs::exists(written));
      ASSERT_EQ(g_saved, 0);
      ASSERT_EQ(meta(), "");
    }
  }
}

}  // namespace
