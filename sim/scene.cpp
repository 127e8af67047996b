#include "scene.h"

#include <algorithm>
#include <cmath>

namespace {

const float kRoom = 21.5f;
const float kBody = 35.5f;
const float kCup = 58.0f;
// The palette spans these temperatures; anything outside is clamped to its ends.
const float kPaletteLow = 16.0f;
const float kPaletteHigh = 40.0f;
const double kPi = 3.14159265358979323846;

struct Blob {
  float cx, cy, radius, peak;
};

// The warm body follows a slow figure of eight; the cup sits in the lower right.
void blobs(int32_t width, int32_t height, int64_t frame, Blob out[2]) {
  float size = static_cast<float>(std::min(width, height));
  double t = static_cast<double>(frame);
  out[0] = Blob{static_cast<float>(width * (0.5 + 0.3 * std::sin(2 * kPi * t / 90.0))),
                static_cast<float>(height * (0.5 + 0.18 * std::sin(4 * kPi * t / 90.0))), 0.16f * size, kBody - kRoom};
  out[1] = Blob{0.85f * width, 0.8f * height, 0.05f * size, kCup - kRoom};
}

float temperature(const Blob b[2], int32_t height, int32_t x, int32_t y) {
  // A faint gradient: the floor is a little warmer than the ceiling.
  float t = kRoom + (height > 1 ? 1.5f * y / (height - 1) : 0.0f);
  for (int i = 0; i < 2; ++i) {
    float dx = (x - b[i].cx) / b[i].radius, dy = (y - b[i].cy) / b[i].radius;
    float d2 = dx * dx + dy * dy;
    if (d2 < 16.0f) t += b[i].peak * std::exp(-0.5f * d2 - 0.125f * d2 * d2);
  }
  return t;
}

// A dark-to-bright thermal palette: black, indigo, magenta, red, orange, yellow, white.
void palette(float celsius, unsigned char rgb[3]) {
  static const unsigned char stops[][3] = {{0, 0, 0},     {40, 0, 110},   {150, 0, 150},  {225, 40, 40},
                                           {255, 140, 0}, {255, 225, 60}, {255, 255, 255}};
  const int last = sizeof stops / sizeof stops[0] - 1;
  float u = (celsius - kPaletteLow) / (kPaletteHigh - kPaletteLow);
  u = std::min(1.0f, std::max(0.0f, u)) * last;
  int i = std::min(static_cast<int>(u), last - 1);
  float f = u - i;
  for (int k = 0; k < 3; ++k)
    rgb[k] = static_cast<unsigned char>(std::lround(stops[i][k] + f * (stops[i + 1][k] - stops[i][k])));
}

}  // namespace

float sceneTemperature(int32_t width, int32_t height, int64_t frame, int32_t x, int32_t y) {
  Blob b[2];
  blobs(width, height, frame, b);
  return temperature(b, height, x, y);
}

void renderFrame(unsigned char* out, int32_t width, int32_t height, int32_t channels, int64_t frame) {
  if (width <= 0 || height <= 0 || channels <= 0) return;
  Blob b[2];
  blobs(width, height, frame, b);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      float t = temperature(b, height, x, y);
      unsigned char rgb[3];
      palette(t, rgb);
      unsigned char grey = static_cast<unsigned char>((rgb[0] * 3 + rgb[1] * 6 + rgb[2]) / 10);
      for (int32_t k = 0; k < channels; ++k) {
        if (channels < 3)
          *out++ = k == 0 ? grey : 255;
        else
          *out++ = k < 3 ? rgb[k] : 255;
      }
    }
  }
}
