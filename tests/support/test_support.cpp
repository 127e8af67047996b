#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  fs::path base = fs::temp_directory_path();
  for (;;) {
    path_ = base / ("brenvik-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

InDirectory::InDirectory(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }

InDirectory::~InDirectory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> listDirectory(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
