#include "preview/preview.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FALLBACK
#include <stb_image_write.h>

namespace fs = std::filesystem;

namespace {

const int32_t kMaxSide = 32768;
const int64_t kMaxBytes = int64_t{256} << 20;

const char* channelName(int32_t channels) {
  switch (channels) {
    case 1:
      return "grey";
    case 2:
      return "grey and alpha";
    case 3:
      return "RGB";
    default:
      return "RGBA";
  }
}

std::string frameFile(const fs::path& dir, int32_t n, const char* extension) {
  char name[64];
  snprintf(name, sizeof name, "official_ir_%02d.%s", n, extension);
  return (dir / name).string();
}

// Converts one frame; returns what went wrong, or an empty string.
std::string convert(const fs::path& dir, const FrameLine& f, bool swapSides, std::string* picture) {
  const int32_t width = swapSides ? f.b : f.a, height = swapSides ? f.a : f.b;
  std::string problem = pictureProblem(width, height, f.c);
  if (!problem.empty()) return problem;
  const std::string raw = frameFile(dir, f.n, "rgb");
  *picture = frameFile(dir, f.n, "png");

  const uint64_t expected = static_cast<uint64_t>(width) * height * f.c;
  std::error_code error;
  if (!fs::exists(raw, error)) return "the frame file is missing";
  const uintmax_t size = fs::file_size(raw, error);
  if (error) return "can't read the frame file";
  if (size != expected)
    return "the frame file holds " + std::to_string(size) + " bytes, " + std::to_string(expected) + " expected";

  std::vector<unsigned char> pixels(static_cast<size_t>(expected));
  std::ifstream in(raw, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size())))
    return "can't read the frame file";
  if (!stbi_write_png(picture->c_str(), width, height, f.c, pixels.data(), width * f.c))
    return "can't write " + *picture;
  return std::string();
}

}  // namespace

bool parseFrameLine(const std::string& line, FrameLine* frame) {
  int32_t values[4];
  const char* p = line.c_str();
  for (int32_t& value : values) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!(*p == '-' || (*p >= '0' && *p <= '9'))) return false;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE || number < INT32_MIN || number > INT32_MAX) return false;
    value = static_cast<int32_t>(number);
    p = end;
  }
  while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
  if (*p != '\0') return false;
  *frame = FrameLine{values[0], values[1], values[2], values[3]};
  return true;
}

std::string pictureProblem(int32_t width, int32_t height, int32_t channels) {
  if (channels < 1 || channels > 4)
    return "unsupported bytes per pixel " + std::to_string(channels) + " (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA)";
  if (width <= 0 || height <= 0)
    return "no picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width > kMaxSide || height > kMaxSide || int64_t{width} * height * channels > kMaxBytes)
    return std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
  return std::string();
}

int previewFrames(const std::string& dir, bool swapSides, FILE* out, FILE* err) {
  const fs::path folder(dir);
  const std::string metaPath = (folder / "official_meta.txt").string();
  std::ifstream meta(metaPath, std::ios::binary);
  if (!meta) {
    fprintf(err, "brenvik_preview: %s: can't be read\n", metaPath.c_str());
    return 2;
  }
  bool failed = false;
  std::string line;
  for (int number = 1; std::getline(meta, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    FrameLine frame;
    if (!parseFrameLine(line, &frame) || frame.n < 0) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      fprintf(err, "brenvik_preview: %s:%d: not a line \"N A B C\": \"%s\"\n", metaPath.c_str(), number, line.c_str());
      failed = true;
      continue;
    }
    std::string picture;
    const std::string problem = convert(folder, frame, swapSides, &picture);
    if (!problem.empty()) {
      fprintf(err, "brenvik_preview: %s: %s\n", frameFile(folder, frame.n, "rgb").c_str(), problem.c_str());
      failed = true;
      continue;
    }
    fprintf(out, "%s: %d x %d %s\n", picture.c_str(), swapSides ? frame.b : frame.a, swapSides ? frame.a : frame.b,
            channelName(frame.c));
  }
  return failed ? 1 : 0;
}
