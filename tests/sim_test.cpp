// The simulated camera's temperature record, read in this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "scene.h"
#include "sdk/sdk.h"
#include "test_support.h"

namespace {

typedef void (*ReadTemperature)(int32_t, int32_t, unsigned char*);

ReadTemperature simReadTemperature() {
  HMODULE sim = LoadLibraryA(BRENVIK_SIM);
  return sim ? reinterpret_cast<ReadTemperature>(reinterpret_cast<void*>(GetProcAddress(sim, "ReadTemperatureAtPoint")))
             : nullptr;
}

struct RecordCase {
  const char* name;
  const char* setting;  // BRENVIK_SIM_RECORD_BYTES
  size_t written;
};
void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class SimRecord : public ::testing::TestWithParam<RecordCase> {
 protected:
  void TearDown() override { setEnvironment("BRENVIK_SIM_RECORD_BYTES", nullptr); }
};

TEST_P(SimRecord, WritesAtMostTheSetNumberOfBytes) {
  ReadTemperature read = simReadTemperature();
  ASSERT_NE(read, nullptr);
  setEnvironment("BRENVIK_SIM_RECORD_BYTES", GetParam().setting);
  unsigned char record[kTemperatureRecordBytes + 8];
  std::memset(record, 0xaa, sizeof record);
  read(80, 40, record);

  float celsius = sceneTemperature(160, 120, 0, 80, 40);
  unsigned char expected[kTemperatureRecordBytes] = {};
  const int32_t x = 80, y = 40;
  const float emissivity = 0.95f;
  std::memcpy(expected, &celsius, 4);
  std::memcpy(expected + 4, &x, 4);
  std::memcpy(expected + 8, &y, 4);
  std::memcpy(expected + 16, &emissivity, 4);
  const size_t written = GetParam().written;
  EXPECT_EQ(std::memcmp(record, expected, std::min<size_t>(written, 20)), 0);  // the flags vary
  for (size_t i = written; i < sizeof record; ++i) EXPECT_EQ(record[i], 0xaa) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, SimRecord,
                         ::testing::Values(RecordCase{"whole_record", nullptr, 64}, RecordCase{"nothing", "0", 0},
                                           RecordCase{"five_bytes", "5", 5}, RecordCase{"more_than_64", "100", 64}),
                         RowName());

// The hottest point away from the hot cup (at 136, 96): the warm body.
struct Spot {
  int x, y;
  float celsius;
};
Spot warmestBody(int64_t frame) {
  Spot best = {0, 0, -100};
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      if ((x - 136) * (x - 136) + (y - 96) * (y - 96) < 30 * 30) continue;
      const float t = sceneTemperature(160, 120, frame, x, y);
      if (t > best.celsius) best = Spot{x, y, t};
    }
  return best;
}

TEST(SimScene, RoomTemperatureWithAWarmBodyThatMoves) {
  const Spot first = warmestBody(0), later = warmestBody(5);
  EXPECT_NEAR(sceneTemperature(160, 120, 0, 2, 2), 22.0f, 1.5f);  // a corner: the room
  EXPECT_NEAR(first.celsius, 36.0f, 2.0f);
  EXPECT_NEAR(later.celsius, 36.0f, 2.0f);
  EXPECT_GT(std::abs(first.x - later.x) + std::abs(first.y - later.y), 5);
  // The picture differs as the body moves.
  std::vector<unsigned char> a(160 * 120 * 3), b(a.size());
  renderFrame(a.data(), 160, 120, 3, 0);
  renderFrame(b.data(), 160, 120, 3, 5);
  EXPECT_NE(a, b);
}

}  // namespace
