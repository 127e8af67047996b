#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

// One line of the metadata file: frame N and its three dimensions, as the SDK gave them.
struct FrameLine {
  int32_t n, a, b, c;
};

// Reads "N A B C" (four decimal integers, blanks between, an optional CR at the end).
bool parseFrameLine(const std::string& line, FrameLine* frame);

// Why a frame of these dimensions can't be made into a picture, or empty if it can.
std::string pictureProblem(int32_t width, int32_t height, int32_t channels);

// Writes official_ir_NN.png for every frame that DIR/official_meta.txt lists, taking A as
// the width and B as the height (the other way round with `swapSides`) and C as bytes per
// pixel. Reports each picture to `out` and each problem in one line to `err`. Returns 0
// when every listed frame was converted, 1 when some were not, 2 when the metadata file
// can't be read.
int previewFrames(const std::string& dir, bool swapSides, FILE* out, FILE* err);
