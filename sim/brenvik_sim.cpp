// The simulated camera SDK: a shared library that exports the camera SDK's entry points
// and delivers rendered frames from threads of its own. Settings come from environment
// variables, read when Start is called (see the README). Variants of this file that lack
// entry points are built with SIM_OMIT_<name> defined.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "scene.h"
#include "sdk/sdk_api.h"

#define SIM_DECLARE(name, result, parameters, required) BRENVIK_EXPORT result name parameters;
BRENVIK_SDK_ENTRY_POINTS(SIM_DECLARE)
#undef SIM_DECLARE

namespace {

struct Settings {
  int64_t frames;  // per delivery thread after Start; negative: until Stop
  double fps;      // 0: no pause between frames
  int32_t width, height, channels;
  int startResult;
  int64_t framesInStart, framesInStop;
  int threads;
  int64_t nullEvery;  // every n-th frame comes with a null pointer; 0: none
};

int64_t envNumber(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return std::strtoll(text, nullptr, 10);
}

Settings readSettings() {
  Settings s;
  s.frames = envNumber("BRENVIK_SIM_FRAMES", -1);
  const char* fps = std::getenv("BRENVIK_SIM_FPS");
  s.fps = fps && *fps ? std::max(0.0, std::strtod(fps, nullptr)) : 9.0;
  s.width = static_cast<int32_t>(envNumber("BRENVIK_SIM_WIDTH", 160));
  s.height = static_cast<int32_t>(envNumber("BRENVIK_SIM_HEIGHT", 120));
  s.channels = static_cast<int32_t>(envNumber("BRENVIK_SIM_CHANNELS", 3));
  s.startResult = static_cast<int>(envNumber("BRENVIK_SIM_START_RESULT", 1));
  s.framesInStart = envNumber("BRENVIK_SIM_FRAMES_IN_START", 0);
  s.framesInStop = envNumber("BRENVIK_SIM_FRAMES_IN_STOP", 0);
  s.threads = static_cast<int>(std::min<int64_t>(64, std::max<int64_t>(1, envNumber("BRENVIK_SIM_THREADS", 1))));
  s.nullEvery = envNumber("BRENVIK_SIM_NULL_EVERY", 0);
  return s;
}

// Never destroyed: without a call of Stop the delivery threads outlive static
// destruction, so nothing they use may be torn down under them.
struct Camera {
  std::atomic<IRFrameDelegate> onFrame{nullptr};
  std::atomic<DistanceDelegate> onDistance{nullptr};
  std::atomic<DistanceErrorDelegate> onDistanceError{nullptr};
  std::atomic<int32_t> unitMode{0};
  std::atomic<int64_t> sequence{0};   // number of the next frame
  std::atomic<int64_t> lastFrame{0};  // the frame whose scene temperature reads report
  std::mutex lock;                    // guards the fields below
  Settings settings = readSettings();
  double boundary[3] = {16.0, 40.0, 37.0};
  bool stopping = false;
  std::condition_variable wake;
  std::vector<std::thread> deliverers;
  std::mutex traceLock;
};

Camera& camera() {
  static Camera* c = new Camera;
  return *c;
}

// Appends a line to the file named by the environment variable, if it is set.
void appendLine(const char* variable, const char* format, va_list args) {
  const char* path = std::getenv(variable);
  if (path == nullptr || *path == '\0') return;
  std::lock_guard<std::mutex> hold(camera().traceLock);
  FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  std::vfprintf(file, format, args);
  std::fputc('\n', file);
  std::fclose(file);
}

void appendTo(const char* variable, const char* format, ...) {
  va_list args;
  va_start(args, format);
  appendLine(variable, format, args);
  va_end(args);
}

// One line per entry-point call, to BRENVIK_SIM_TRACE.
[[maybe_unused]] void trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  appendLine("BRENVIK_SIM_TRACE", format, args);
  va_end(args);
}

// When frames are handed over and Stop is called, in microseconds of a steady clock, to
// BRENVIK_SIM_TIMING: what the latency measurements read. Stop's line has number -1.
[[maybe_unused]] void timing(const char* event, int64_t number) {
  if (std::getenv("BRENVIK_SIM_TIMING") == nullptr) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const long long us = static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  appendTo("BRENVIK_SIM_TIMING", "%s %lld %lld", event, static_cast<long long>(number), us);
}

size_t frameBufferBytes(const Settings& s) {
  // A hostile setting (negative or huge dimensions) still gets a small buffer: the
  // dimensions are passed on as they are, and the tool must refuse them.
  const int64_t kMax = int64_t{1} << 30;
  if (s.width < 0 || s.height < 0 || s.channels < 0) return 16;
  int64_t bytes = int64_t{s.width} * s.height;
  if (s.channels != 0 && bytes > kMax / s.channels) return 16;
  return static_cast<size_t>(std::max<int64_t>(16, bytes * s.channels));
}

// Sends `count` frames (negative: until Stop) to the registered frame handler.
void deliver(Settings s, int64_t count, bool untilStop) {
  Camera& cam = camera();
  std::vector<unsigned char> frame(frameBufferBytes(s));
  // Frames keep to a schedule, so that the time spent rendering doesn't slow the rate.
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(s.fps > 0 ? 1.0 / s.fps : 0.0));
  auto due = std::chrono::steady_clock::now();
  for (int64_t i = 0; count < 0 || i < count; ++i) {
    int64_t number = cam.sequence++;
    renderFrame(frame.data(), s.width, s.height, s.channels, number);
    cam.lastFrame = number;
    bool null = s.nullEvery > 0 && (number + 1) % s.nullEvery == 0;
    timing("frame", number);
    if (IRFrameDelegate handler = cam.onFrame) handler(null ? nullptr : frame.data(), s.width, s.height, s.channels);
    if (number % 9 == 8) {
      if (DistanceDelegate handler = cam.onDistance) handler(1.5f);
    }
    if (!untilStop) continue;
    std::unique_lock<std::mutex> hold(cam.lock);
    due += period;
    if (period.count() > 0) cam.wake.wait_until(hold, due, [&] { return cam.stopping; });
    if (cam.stopping) return;
  }
}

[[maybe_unused]] void deliverOnce(const Settings& s, int64_t count) {
  if (count <= 0) return;
  std::thread burst(deliver, s, count, false);
  burst.join();
}

[[maybe_unused]] void stopDeliverers() {
  Camera& cam = camera();
  std::vector<std::thread> running;
  {
    std::lock_guard<std::mutex> hold(cam.lock);
    cam.stopping = true;
    running.swap(cam.deliverers);
  }
  cam.wake.notify_all();
  for (std::thread& t : running)
    if (t.joinable()) t.join();
}

// The record ReadTemperatureAtPoint fills, little-endian.
struct TemperatureRecord {
  float temperature;  // at (x, y), in the unit mode's unit: 0 °C, 1 °F, 2 K
  int32_t x, y;
  int32_t unitMode;
  float emissivity;
  uint32_t flags;  // 1 above the reference, 2 outside low..high, 4 point outside the image
  unsigned char reserved[40];
};
static_assert(sizeof(TemperatureRecord) == kTemperatureRecordBytes, "the record is 64 bytes");

#ifdef SIM_OMIT_Stop
const bool kHasStop = false;
#else
const bool kHasStop = true;
#endif

}  // namespace

#ifndef SIM_OMIT_Start
uint8_t Start(void) {
  trace("Start");
  stopDeliverers();
  Camera& cam = camera();
  Settings s = readSettings();
  {
    std::lock_guard<std::mutex> hold(cam.lock);
    cam.settings = s;
    cam.stopping = false;
  }
  deliverOnce(s, s.framesInStart);
  std::lock_guard<std::mutex> hold(cam.lock);
  if (s.frames != 0)
    for (int i = 0; i < s.threads; ++i) cam.deliverers.emplace_back(deliver, s, s.frames, true);
  // Without Stop nobody will join the delivery threads: let them end on their own.
  if (!kHasStop)
    for (std::thread& t : cam.deliverers) t.detach();
  return static_cast<uint8_t>(s.startResult);
}
#endif

#ifndef SIM_OMIT_Stop
void Stop(void) {
  timing("Stop", -1);
  trace("Stop");
  stopDeliverers();
  Settings s;
  {
    std::lock_guard<std::mutex> hold(camera().lock);
    s = camera().settings;
  }
  deliverOnce(s, s.framesInStop);
}
#endif

#ifndef SIM_OMIT_SetNewIRFrameDelegate
void SetNewIRFrameDelegate(IRFrameDelegate handler) {
  trace("SetNewIRFrameDelegate");
  camera().onFrame = handler;
}
#endif

#ifndef SIM_OMIT_SetNewDistanceDelegate
void SetNewDistanceDelegate(DistanceDelegate handler) {
  trace("SetNewDistanceDelegate");
  camera().onDistance = handler;
}
#endif

#ifndef SIM_OMIT_SetDistanceError
void SetDistanceError(DistanceErrorDelegate handler) {
  trace("SetDistanceError");
  camera().onDistanceError = handler;
}
#endif

#ifndef SIM_OMIT_ReadTemperatureAtPoint
void ReadTemperatureAtPoint(int32_t x, int32_t y, unsigned char* record) {
  trace("ReadTemperatureAtPoint %d %d", x, y);
  if (record == nullptr) return;
  Camera& cam = camera();
  int32_t width, height;
  double low, high, reference;
  {
    std::lock_guard<std::mutex> hold(cam.lock);
    width = cam.settings.width;
    height = cam.settings.height;
    low = cam.boundary[0];
    high = cam.boundary[1];
    reference = cam.boundary[2];
  }
  TemperatureRecord r = {};
  bool inside = x >= 0 && y >= 0 && x < width && y < height;
  int32_t px = std::min(std::max(x, 0), std::max(width - 1, 0));
  int32_t py = std::min(std::max(y, 0), std::max(height - 1, 0));
  float celsius = sceneTemperature(width, height, cam.lastFrame, px, py);
  r.unitMode = cam.unitMode;
  r.temperature = r.unitMode == 1 ? celsius * 9 / 5 + 32 : r.unitMode == 2 ? celsius + 273.15f : celsius;
  r.x = x;
  r.y = y;
  r.emissivity = 0.95f;
  r.flags = (celsius > reference ? 1u : 0u) | (celsius < low || celsius > high ? 2u : 0u) | (inside ? 0u : 4u);
  int64_t bytes = std::min<int64_t>(
      kTemperatureRecordBytes, std::max<int64_t>(0, envNumber("BRENVIK_SIM_RECORD_BYTES", kTemperatureRecordBytes)));
  std::memcpy(record, &r, static_cast<size_t>(bytes));
}
#endif

#ifndef SIM_OMIT_SetTempBoundary
void SetTempBoundary(double low, double high, double reference) {
  trace("SetTempBoundary %g %g %g", low, high, reference);
  std::lock_guard<std::mutex> hold(camera().lock);
  camera().boundary[0] = low;
  camera().boundary[1] = high;
  camera().boundary[2] = reference;
}
#endif

#ifndef SIM_OMIT_SetUnitMode
void SetUnitMode(int32_t mode) {
  trace("SetUnitMode %d", mode);
  camera().unitMode = mode;
}
#endif
