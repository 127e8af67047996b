#pragma once
// The simulated camera's view: a room near 22 °C with a person-warm body that wanders
// through it and a hot cup that stays put, seen through a false-colour palette.
#include <cstdint>

// Temperature in °C at pixel (x, y) of a width x height image, at frame number `frame`.
float sceneTemperature(int32_t width, int32_t height, int64_t frame, int32_t x, int32_t y);

// Fills `out` with width * height * channels bytes of frame `frame`: 1 channel grey,
// 2 grey and opacity, 3 RGB, 4 and more RGB then opacity (255) in every further byte.
void renderFrame(unsigned char* out, int32_t width, int32_t height, int32_t channels, int64_t frame);
