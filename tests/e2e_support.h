#pragma once
// What the end-to-end tests share: the built tool, the simulator's frames and the console
// of a completed run.
#include <string>

#include "scene.h"
#include "test_support.h"

const fs::path kTool = BRENVIK_TOOL;  // the full simulator lies beside it
const fs::path kVariants = BRENVIK_VARIANTS;

const char kFullTrace[] =
    "SetUnitMode 0\nSetTempBoundary 30 44 37\nSetNewIRFrameDelegate\nSetNewDistanceDelegate\n"
    "SetDistanceError\nSetNewIRFrameDelegate\nStart\nStop\n";

// The bytes of the simulator's frame `number`.
inline std::string rendered(int32_t width, int32_t height, int32_t channels, int64_t number) {
  std::string bytes(static_cast<size_t>(width) * height * channels, '\0');
  renderFrame(reinterpret_cast<unsigned char*>(&bytes[0]), width, height, channels, number);
  return bytes;
}

// The console of a run without probes, as "\n"-ended lines.
inline std::string console(int startResult, int saved) {
  return "Start...\nStart=" + std::to_string(startResult) + "\nsaved " + std::to_string(saved) + " frames\ndone\n";
}

// The metadata file's lines for `count` frames of one size, as "\n"-ended lines.
inline std::string metaLines(int count, int32_t width, int32_t height, int32_t channels) {
  std::string lines;
  for (int k = 0; k < count; ++k)
    lines += std::to_string(k) + " " + std::to_string(width) + " " + std::to_string(height) + " " +
             std::to_string(channels) + "\n";
  return lines;
}

// A scratch layout for one run: the tool's directory, the working directory, and the
// simulator's call trace.
struct Layout {
  TempDir bin, work, scratch;
  fs::path trace() const { return scratch.path() / "trace.txt"; }
};
