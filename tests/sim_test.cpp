// The simulated camera's temperature record, read in this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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
                         [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

}  // namespace
