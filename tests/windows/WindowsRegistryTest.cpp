// The registry seam on the real Windows registry (Wine's in CI): text through UTF-16, exact value
// names on a registry that ignores their case, private registries kept apart, and the key
// classes on top.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Registry.h"
#include "platform/win32/RegistryAccess.h"
#include "registry/ProductRegistryKey.h"
#include "registry/RegistryKey.h"
#include "support/TempDir.h"

namespace vellumor::platform {

// Found by argument-dependent lookup, so it lives in the value's own namespace.
bool operator==(const RegistryValue& left, const RegistryValue& right) {
  return left.name == right.name && left.type == right.type && left.data == right.data;
}

namespace {

namespace win_error = platform::win_error;
using ::testing::UnorderedElementsAre;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr std::string_view kKey = "SOFTWARE\\Corvane Software\\Vellumor";

class WindowsRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess); }
  void TearDown() override { EXPECT_EQ(DeletePrivateRegistry(registry.Folder()), win_error::kSuccess); }
  long Put(std::string name, std::uint32_t type, std::string data) {
    return registry.SetValue(kMachine, kKey, RegistryValue{std::move(name), type, std::move(data)});
  }
  std::optional<RegistryValue> Get(std::string_view name) {
    RegistryValue value;
    if (registry.QueryValue(kMachine, kKey, name, value) != win_error::kSuccess) {
      return std::nullopt;
    }
    return value;
  }

  test::TempDir temp;
  Registry registry{temp / "registry"};
};

TEST_F(WindowsRegistryTest, TextAndBytesComeBackAsStored) {
  const std::vector<RegistryValue> values{
      {"DocTitle", kRegSz, "Bericht \xC3\xBC\xE2\x82\xAC \xF0\x9F\x93\x84"},  // ü, €, and one beyond 16 bits
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       kRegSz, "name outside ASCII"},
      {"Empty", kRegSz, ""},
      {"Path", kRegExpandSz, "%SystemRoot%\\system32"},
      {"Count", kRegDword, std::string{"\x2A\x00\x00\x00", 4}},
      {"Blob", kRegBinary, std::string{"\x00\xFF\x00", 3}},
  };
  for (const RegistryValue& value : values) {
    ASSERT_EQ(Put(value.name, value.type, value.data), win_error::kSuccess) << value.name;
  }
  for (const RegistryValue& value : values) {
    EXPECT_EQ(Get(value.name), value) << value.name;
  }
  std::vector<RegistryValue> listed;
  ASSERT_EQ(registry.ListValues(kMachine, kKey, listed), win_error::kSuccess);
  EXPECT_THAT(listed, UnorderedElementsAre(values[0], values[1], values[2], values[3], values[4], values[5]));
}

TEST_F(WindowsRegistryTest, ValueNamesAreExactThoughTheRegistryIgnoresTheirCase) {
  ASSERT_EQ(Put("GS_LIB", kRegSz, "C:\\gs\\lib"), win_error::kSuccess);
  EXPECT_EQ(Get("gs_lib"), std::nullopt);
  EXPECT_EQ(registry.DeleteValue(kMachine, kKey, "gs_lib"), win_error::kFileNotFound);
  EXPECT_NE(Get("GS_LIB"), std::nullopt);
  EXPECT_EQ(registry.DeleteValue(kMachine, kKey, "GS_LIB"), win_error::kSuccess);
  EXPECT_EQ(Get("GS_LIB"), std::nullopt);
  EXPECT_EQ(registry.DeleteValue(kMachine, kKey, "GS_LIB"), win_error::kFileNotFound);
}

TEST_F(WindowsRegistryTest, KeysFollowTheRegistrysRules) {
  EXPECT_EQ(registry.OpenKey(kMachine, "SOFTWARE\\Missing"), win_error::kFileNotFound);
  EXPECT_EQ(registry.SetValue(kMachine, "SOFTWARE\\Missing", RegistryValue{"A", kRegSz, "1"}),
            win_error::kFileNotFound);
  EXPECT_EQ(registry.OpenKey(kMachine, "software\\CORVANE SOFTWARE\\vellumor"), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKey(kMachine, "\\SOFTWARE\\\\Corvane Software\\Vellumor\\"), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKeyForWriting(kMachine, kKey), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKey(kMachine, ""), win_error::kSuccess);  // the root itself
  // The other root of the same registry is another tree.
  EXPECT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, kKey), win_error::kFileNotFound);
}

TEST_F(WindowsRegistryTest, PrivateRegistriesAreApartFromEachOtherAndFromTheMachine) {
  ASSERT_EQ(Put("Quality", kRegSz, "Print"), win_error::kSuccess);
  test::TempDir otherFolder;
  Registry other{otherFolder / "registry"};
  EXPECT_EQ(other.OpenKey(kMachine, kKey), win_error::kFileNotFound);
  Registry machine{{}};
  EXPECT_EQ(machine.OpenKey(kMachine, kKey), win_error::kFileNotFound);
  // The machine's own registry is reached through the same seam.
  RegistryValue version;
  EXPECT_EQ(machine.QueryValue(kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", version),
            win_error::kSuccess);
  EXPECT_FALSE(version.data.empty());

  ASSERT_EQ(DeletePrivateRegistry(registry.Folder()), win_error::kSuccess);
  EXPECT_EQ(Get("Quality"), std::nullopt);
}

TEST_F(WindowsRegistryTest, KeyClassesCountBytesOfUtf8Text) {
  ASSERT_EQ(Put("DocAuthor", kRegSz, "Ren\xC3\xA9"), win_error::kSuccess);  // René: 4 characters, 5 bytes
  EXPECT_EQ(registry::RegistryKey::ValueSize(registry, kMachine, kKey, "DocAuthor"), 5U);
  std::string text;
  EXPECT_EQ(registry::RegistryKey::ReadText(registry, kMachine, kKey, "DocAuthor", text, 4), win_error::kSuccess);
  EXPECT_EQ(text, "Ren");  // never half a character
  EXPECT_EQ(registry::RegistryKey::ReadText(registry, kMachine, kKey, "DocAuthor", text, 3), win_error::kMoreData);
  EXPECT_EQ(registry::RegistryKey::RemoveValue(registry, kMachine, kKey, "DocAuthor"), win_error::kSuccess);
  EXPECT_EQ(registry::RegistryKey::RemoveValue(registry, kMachine, kKey, "DocAuthor"), win_error::kFileNotFound);

  registry::ProductRegistryKey product{registry};
  ASSERT_TRUE(product.Create("SOFTWARE\\Corvane Software\\Updater test"));
  product.SetText("AdvCheckUpdate", "14 days");
  product.SetNumber("AdvShowWindow", -7);
  std::string interval;
  std::int32_t number{0};
  product.GetText("AdvCheckUpdate", interval);
  product.GetNumber("AdvShowWindow", number);
  EXPECT_EQ(interval, "14 days");
  EXPECT_EQ(number, -7);
}

}  // namespace
}  // namespace vellumor::platform
