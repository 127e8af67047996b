#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
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

std::string frameName(int index) {
  char name[32];
  snprintf(name, sizeof name, "official_ir_%02d.rgb", index);
  return name;
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

std::string asText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += kNewline;
    else
      out += c;
  }
  return out;
}

namespace {

// Environment names compare without case, as on Windows.
bool sameName(const std::string& setting, const std::string& name) {
  if (setting.size() <= name.size() || setting[name.size()] != '=') return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(setting[i])) != std::toupper(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

}  // namespace

std::vector<std::string> childEnvironment(const std::vector<std::string>& inherited, const Environment& env) {
  std::vector<std::string> settings;
  for (const std::string& setting : inherited) {
    bool dropped = setting.compare(0, 12, "BRENVIK_SIM_") == 0;
    for (const auto& kv : env) dropped = dropped || sameName(setting, kv.first);
    if (!dropped) settings.push_back(setting);
  }
  for (const auto& kv : env) settings.push_back(kv.first + "=" + kv.second);
  return settings;
}
