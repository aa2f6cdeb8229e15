#include "registry/RegistryKey.h"

#include <gtest/gtest.h>

#include "platform/UnprivilegedRun.h"
#include "support/TempDir.h"

namespace vellumor::registry {
namespace {

namespace win_error = platform::win_error;
using platform::RegistryRoot;
using platform::RegistryValue;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr std::string_view kEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(registry.CreateKey(kMachine, kEnvironmentKey), win_error::kSuccess);
    Put("GS_LIB", platform::kRegExpandSz, "C:\\gs\\lib");
    Put("Path", platform::kRegSz, "C:\\Windows");
  }
  void Put(std::string name, std::uint32_t type, std::string data) {
    ASSERT_EQ(registry.SetValue(kMachine, kEnvironmentKey, RegistryValue{std::move(name), type, std::move(data)}),
              win_error::kSuccess);
  }
  bool Exists(std::string_view name) {
    RegistryValue value;
    return registry.QueryValue(kMachine, kEnvironmentKey, name, value) == win_error::kSuccess;
  }

  test::TempDir temp;
  platform::Registry registry{temp / "registry"};
};

TEST_F(RegistryKeyTest, OpenSetsTheLastErrorAndLeavesNoKeyOpenOnFailure) {
  RegistryKey key{registry};
  EXPECT_FALSE(key.Open("", kMachine));
  EXPECT_EQ(key.LastError(), win_error::kBadArguments);

  ASSERT_TRUE(key.Open(kEnvironmentKey, kMachine));
  EXPECT_EQ(key.LastError(), win_error::kSuccess);
  EXPECT_TRUE(key.IsOpen());
  // Opening again closes first: a failed open leaves nothing open.
  EXPECT_FALSE(key.Open("SYSTEM\\Missing", kMachine));
  EXPECT_EQ(key.LastError(), win_error::kFileNotFound);
  EXPECT_FALSE(key.IsOpen());
  ASSERT_TRUE(key.Open(kEnvironmentKey, kMachine));
  EXPECT_FALSE(key.Open("", kMachine));
  EXPECT_FALSE(key.IsOpen());
  // The same path under the other root is another key.
  EXPECT_FALSE(key.Open(kEnvironmentKey, RegistryRoot::CurrentUser));
  EXPECT_EQ(key.LastError(), win_error::kFileNotFound);
  // Key paths ignore letter case.
  EXPECT_TRUE(key.Open("system\\currentcontrolset\\control\\session manager\\ENVIRONMENT", kMachine));
}

TEST_F(RegistryKeyTest, OperationsCheckTheirArgumentsAndTheOpenKey) {
  RegistryKey key{registry};
  std::uint32_t size{0};
  std::uint32_t type{0};
  std::string text = "untouched";

  EXPECT_FALSE(key.DeleteValue("GS_LIB"));
  EXPECT_EQ(key.LastError(), win_error::kInvalidHandle);
  EXPECT_FALSE(key.QueryInfo("GS_LIB", size, type));
  EXPECT_EQ(key.LastError(), win_error::kInvalidHandle);
  EXPECT_FALSE(key.QueryText("GS_LIB", text, size));
  EXPECT_EQ(key.LastError(), win_error::kInvalidHandle);
  EXPECT_FALSE(key.DeleteValue(""));
  EXPECT_EQ(key.LastError(), win_error::kBadArguments);

  ASSERT_TRUE(key.Open(kEnvironmentKey, kMachine));
  EXPECT_FALSE(key.QueryInfo("", size, type));
  EXPECT_EQ(key.LastError(), win_error::kBadArguments);
  EXPECT_FALSE(key.QueryInfo("gs_lib", size, type));  // value names are exact
  EXPECT_EQ(key.LastError(), win_error::kFileNotFound);
  ASSERT_TRUE(key.QueryInfo("GS_LIB", size, type));
  EXPECT_EQ(size, 9U);
  EXPECT_EQ(type, platform::kRegExpandSz);

  EXPECT_FALSE(key.DeleteValue("gs_lib"));
  EXPECT_EQ(key.LastError(), win_error::kFileNotFound);
  EXPECT_TRUE(key.DeleteValue("GS_LIB"));
  EXPECT_EQ(key.LastError(), win_error::kSuccess);
  EXPECT_FALSE(Exists("GS_LIB"));
  EXPECT_TRUE(Exists("Path"));
  EXPECT_EQ(text, "untouched");
}

TEST_F(RegistryKeyTest, QueryTextCopiesWithinTheGivenSize) {
  Put("Nul", platform::kRegSz, std::string{"ab\0cd", 5});
  Put("Euro", platform::kRegSz, "x\xE2\x82\xAC");  // "x€": four bytes
  Put("Long", platform::kRegSz, std::string(1000, 'L'));
  RegistryKey key{registry};
  ASSERT_TRUE(key.Open(kEnvironmentKey, kMachine));

  std::string text;
  std::uint32_t size{100};
  ASSERT_TRUE(key.QueryText("GS_LIB", text, size));
  EXPECT_EQ(text, "C:\\gs\\lib");
  EXPECT_EQ(size, 9U);

  size = 1000;
  ASSERT_TRUE(key.QueryText("Long", text, size));
  EXPECT_EQ(text, std::string(1000, 'L'));

  size = 10;
  ASSERT_TRUE(key.QueryText("Nul", text, size));  // the text ends at the first zero byte
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(size, 2U);

  // The scratch area is one byte larger than the size: one byte too many still reads, and the
  // copy stops before a character that would be cut.
  size = 3;
  ASSERT_TRUE(key.QueryText("Euro", text, size));
  EXPECT_EQ(text, "x");
  EXPECT_EQ(size, 1U);
  size = 8;
  ASSERT_TRUE(key.QueryText("GS_LIB", text, size));
  EXPECT_EQ(text, "C:\\gs\\li");

  // More than that does not fit at all, and the destination keeps its content.
  text = "before";
  size = 7;
  EXPECT_FALSE(key.QueryText("GS_LIB", text, size));
  EXPECT_EQ(key.LastError(), win_error::kMoreData);
  EXPECT_EQ(text, "before");
  size = 7;
  EXPECT_FALSE(key.QueryText("Missing", text, size));
  EXPECT_EQ(key.LastError(), win_error::kFileNotFound);
  EXPECT_EQ(text, "before");
}

TEST_F(RegistryKeyTest, OneCallForms) {
  EXPECT_EQ(RegistryKey::ValueSize(registry, kMachine, kEnvironmentKey, "GS_LIB"), 9U);
  EXPECT_EQ(RegistryKey::ValueSize(registry, kMachine, kEnvironmentKey, "GS_DLL"), 0U);
  EXPECT_EQ(RegistryKey::ValueSize(registry, kMachine, kEnvironmentKey, ""), 0U);
  EXPECT_EQ(RegistryKey::ValueSize(registry, kMachine, "SYSTEM\\Missing", "GS_LIB"), 0U);
  EXPECT_EQ(RegistryKey::ValueSize(registry, kMachine, "", "GS_LIB"), 0U);

  std::string text;
  EXPECT_EQ(RegistryKey::ReadText(registry, kMachine, kEnvironmentKey, "GS_LIB", text, 9), win_error::kSuccess);
  EXPECT_EQ(text, "C:\\gs\\lib");
  EXPECT_EQ(RegistryKey::ReadText(registry, kMachine, kEnvironmentKey, "GS_DLL", text, 9), win_error::kFileNotFound);
  EXPECT_EQ(RegistryKey::ReadText(registry, kMachine, "", "GS_LIB", text, 9), win_error::kBadArguments);

  EXPECT_EQ(RegistryKey::RemoveValue(registry, kMachine, kEnvironmentKey, "GS_LIB"), win_error::kSuccess);
  EXPECT_FALSE(Exists("GS_LIB"));
  EXPECT_EQ(RegistryKey::RemoveValue(registry, kMachine, kEnvironmentKey, "GS_LIB"), win_error::kFileNotFound);
  EXPECT_EQ(RegistryKey::RemoveValue(registry, kMachine, "SYSTEM\\Missing", "GS_LIB"), win_error::kFileNotFound);
  EXPECT_EQ(RegistryKey::RemoveValue(registry, kMachine, kEnvironmentKey, ""), win_error::kBadArguments);
}

TEST_F(RegistryKeyTest, KeyThatMayNotBeChangedCannotBeOpened) {
  // Opening means opening with full access: a user who may not change the key cannot even read
  // the value through this class, and nothing is removed.
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0555});
  std::filesystem::permissions(registry.HivePath(kMachine), std::filesystem::perms{0644});
  const std::string failures = test::RunUnprivileged([&] {
    std::string result;
    RegistryKey key{registry};
    if (key.Open(kEnvironmentKey, kMachine) || key.LastError() != win_error::kAccessDenied) {
      result += "Open gave " + std::to_string(key.LastError()) + "; ";
    }
    if (const long code = RegistryKey::RemoveValue(registry, kMachine, kEnvironmentKey, "GS_LIB");
        code != win_error::kAccessDenied) {
      result += "RemoveValue gave " + std::to_string(code) + "; ";
    }
    if (RegistryKey::ValueSize(registry, kMachine, kEnvironmentKey, "GS_LIB") != 0) {
      result += "ValueSize read the value; ";
    }
    return result;
  });
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0700});
  EXPECT_EQ(failures, "");
  EXPECT_TRUE(Exists("GS_LIB"));
}

}  // namespace
}  // namespace vellumor::registry
