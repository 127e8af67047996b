// The frame handler against the plainest write of the same bytes, and the cost of a frame
// the handler ignores. Runs in a scratch directory of its own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "recorder/recorder.h"

namespace {

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

// Open, one write, close: what writing a frame to a file costs at the least.
void plainWrite(const unsigned char* data, size_t bytes, int index) {
  char name[32];
  snprintf(name, sizeof name, "plain_%02d.rgb", index);
  FILE* file = fopen(name, "wb");
  if (file == nullptr) return;
  fwrite(data, 1, bytes, file);
  fclose(file);
}

// The handler and the plain write take turns on the same frame, in alternating order; the
// handler's time is the benchmark's, and `ratio` is handler over plain write.
void BM_FrameWrite(benchmark::State& state) {
  const int32_t a = static_cast<int32_t>(state.range(0)), b = static_cast<int32_t>(state.range(1)), c = 3;
  std::vector<unsigned char> frame(static_cast<size_t>(a) * b * c);
  std::mt19937 random(1);
  for (unsigned char& byte : frame) byte = static_cast<unsigned char>(random());
  double handlerNs = 0, plainNs = 0;
  int64_t turn = 0;
  openMeta();
  for (auto _ : state) {
    if (g_saved == 10) openMeta();  // a new run; not part of either timing
    const bool handlerFirst = turn % 2 == 0;
    Clock::time_point t0 = Clock::now();
    if (handlerFirst)
      onIR(frame.data(), a, b, c);
    else
      plainWrite(frame.data(), frame.size(), static_cast<int>(turn % 10));
    Clock::time_point t1 = Clock::now();
    if (handlerFirst)
      plainWrite(frame.data(), frame.size(), static_cast<int>(turn % 10));
    else
      onIR(frame.data(), a, b, c);
    Clock::time_point t2 = Clock::now();
    const double first = std::chrono::duration<double, std::nano>(t1 - t0).count();
    const double second = std::chrono::duration<double, std::nano>(t2 - t1).count();
    const double handler = handlerFirst ? first : second;
    handlerNs += handler;
    plainNs += handlerFirst ? second : first;
    state.SetIterationTime(handler * 1e-9);
    ++turn;
  }
  closeMeta();
  std::error_code error;
  if (fs::file_size("official_ir_00.rgb", error) != frame.size() ||
      fs::file_size("plain_00.rgb", error) != frame.size())
    state.SkipWithError("the frames were not written whole");
  state.counters["handler_us"] = handlerNs / turn / 1000;
  state.counters["plain_us"] = plainNs / turn / 1000;
  state.counters["ratio"] = handlerNs / plainNs;
  state.SetBytesProcessed(static_cast<int64_t>(frame.size()) * turn);
}
BENCHMARK(BM_FrameWrite)
    ->ArgNames({"A", "B"})
    ->Args({160, 120})
    ->Args({640, 512})
    ->Args({1280, 1024})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_IgnoredNullFrame(benchmark::State& state) {
  openMeta();
  for (auto _ : state) onIR(nullptr, 640, 512, 3);
  closeMeta();
}
BENCHMARK(BM_IgnoredNullFrame);

void BM_IgnoredEleventhFrame(benchmark::State& state) {
  std::vector<unsigned char> frame(4 * 2 * 3);
  openMeta();
  while (g_saved < 10) onIR(frame.data(), 4, 2, 3);
  for (auto _ : state) onIR(frame.data(), 4, 2, 3);
  closeMeta();
}
BENCHMARK(BM_IgnoredEleventhFrame);

}  // namespace

int main(int argc, char** argv) {
  const fs::path scratch = fs::temp_directory_path() / ("brenvik-bench-" + std::to_string(std::random_device()()));
  fs::create_directory(scratch);
  const fs::path previous = fs::current_path();
  fs::current_path(scratch);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path(previous);
  fs::remove_all(scratch);
  return 0;
}
