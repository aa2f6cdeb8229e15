#include "platform/LoadedModule.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

// A library every Linux system has, wherever the distribution keeps it.
std::filesystem::path SystemLibrary() {
  for (const char* folder : {"/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib/aarch64-linux-gnu",
                             "/usr/lib/aarch64-linux-gnu", "/lib64", "/usr/lib64", "/lib", "/usr/lib"}) {
    const std::filesystem::path candidate = std::filesystem::path{folder} / "libm.so.6";
    if (std::filesystem::exists(candidate)) {
      return candidate;
    }
  }
  return {};
}

TEST(LoadedModuleTest, LoadsByPathAndNeverSearches) {
  const std::filesystem::path library = SystemLibrary();
  if (library.empty()) {
    GTEST_SKIP() << "no libm.so.6 in the usual folders";
  }
  std::string error;
  std::unique_ptr<LoadedModule> module = LoadedModule::Load(library, error);
  ASSERT_TRUE(module) << error;
  EXPECT_NE(module->Symbol("cos"), nullptr);
  EXPECT_EQ(module->Symbol("vellumor_no_such_symbol"), nullptr);

  // A bare name is a file in the current folder, not a library found on the search path.
  test::TempDir dir;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  EXPECT_FALSE(LoadedModule::Load("libm.so.6", error));
  std::filesystem::current_path(before);
  EXPECT_NE(error.find((dir / "libm.so.6").string()), std::string::npos) << error;
}

}  // namespace
}  // namespace vellumor::platform
