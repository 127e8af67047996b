// The library loading calls as the tool uses them, on whichever platform this is.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const fs::path kVariants = BRENVIK_VARIANTS;

TEST(LoadLibrary, ExecutableDirectoryComesBeforeRememberedDirectory) {
  // The full simulator lies beside this test program; the remembered directory holds one
  // without Start under the same name.
  SetDllDirectoryA((kVariants / "without_Start").string().c_str());
  HMODULE library = LoadLibraryA("Brenvik.dll");
  ASSERT_NE(library, nullptr) << GetLastError();
  EXPECT_NE(GetProcAddress(library, "Start"), nullptr);
}

TEST(LoadLibrary, FindsBareNameInRememberedDirectory) {
  TempDir dir;
  fs::copy_file(kVariants / "without_Start" / "Brenvik.dll", dir.path() / "RememberedOnly.dll");
  SetDllDirectoryA(dir.path().string().c_str());
  HMODULE library = LoadLibraryA("RememberedOnly.dll");
  ASSERT_NE(library, nullptr) << GetLastError();
  EXPECT_EQ(GetProcAddress(library, "Start"), nullptr);
  EXPECT_EQ(GetLastError(), 127u);
  EXPECT_NE(GetProcAddress(library, "Stop"), nullptr);
}

struct LoadFailure {
  const char* name;
  const char* file;  // what to put in the remembered directory under the looked-for name
  DWORD code;
};
void PrintTo(const LoadFailure& c, std::ostream* os) { *os << c.name; }

class LoadLibraryFailure : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(LoadLibraryFailure, ReportsWindowsErrorCode) {
  const LoadFailure& c = GetParam();
  TempDir dir;
  const std::string name = std::string("Fixture_") + c.name + ".dll";
  const std::string file = c.file;
  if (file == "text") writeFile(dir.path() / name, "this is not a library\n");
  if (file == "truncated") writeFile(dir.path() / name, readFile(BRENVIK_SIM).substr(0, 600));
  if (file == "directory") fs::create_directory(dir.path() / name);
  if (file == "needs_dependency") fs::copy_file(BRENVIK_NEEDS_DEPENDENCY, dir.path() / name);
  SetDllDirectoryA(dir.path().string().c_str());
  EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), c.code);
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadLibraryFailure,
                         ::testing::Values(LoadFailure{"missing", "none", 126},
                                           LoadFailure{"directory", "directory", 5}, LoadFailure{"text", "text", 193},
                                           LoadFailure{"truncated", "truncated", 193},
                                           LoadFailure{"needs_dependency", "needs_dependency", 126}),
                         RowName());

}  // namespace
