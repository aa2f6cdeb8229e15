// The settings record in the product key of an emulated registry in a temporary folder.

#include "settings/RegistryStore.h"

#include <gtest/gtest.h>

#include "support/SampleSettings.h"

#include <filesystem>
#include <string>
#include <vector>

#include "registry/ProductRegistryKey.h"
#include "support/TempDir.h"

namespace vellumor::settings {
namespace {

using platform::RegistryRoot;
using platform::RegistryValue;

Settings Sample() {
  return test::SampleSettings();
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  // In the layer the program writes: the user's own settings.
  void CreateProductKey(RegistryRoot root = platform::UserSettingsRoot()) {
    ASSERT_EQ(registry_.CreateKey(root, registry::kProductKeyPath), platform::win_error::kSuccess);
  }
  void Store(std::string_view name, std::string_view text, RegistryRoot root = platform::UserSettingsRoot()) {
    CreateProductKey(root);
    ASSERT_EQ(registry_.SetValue(root, registry::kProductKeyPath,
                                 RegistryValue{std::string{name}, platform::kRegSz, std::string{text}}),
              platform::win_error::kSuccess);
  }
  // The value a load sees: the user's over the machine's.
  std::string Stored(std::string_view name) {
    RegistryValue value;
    EXPECT_TRUE(registry_.QueryValue(platform::UserSettingsRoot(), registry::kProductKeyPath, name, value) ==
                    platform::win_error::kSuccess ||
                registry_.QueryValue(RegistryRoot::LocalMachine, registry::kProductKeyPath, name, value) ==
                    platform::win_error::kSuccess)
        << name;
    return value.data;
  }

  test::TempDir dir_;
  platform::Registry registry_{dir_.Path()};
};

TEST_F(RegistryStoreTest, MissingKeyLoadsNothing) {
  Settings settings{DefaultSettings("/home/ada")};
  const SettingsLoad load = LoadSettingsFromRegistry(registry_, settings);
  EXPECT_FALSE(load.opened);
  EXPECT_EQ(load.problem, "");
  EXPECT_EQ(settings, DefaultSettings("/home/ada"));
  // Loading must not create the key: a first start leaves the registry as it found it.
  EXPECT_EQ(registry_.OpenKey(RegistryRoot::LocalMachine, registry::kProductKeyPath),
            platform::win_error::kFileNotFound);
}

TEST_F(RegistryStoreTest, SavedRecordLoadsBackEqual) {
  const Settings saved{Sample()};
  ASSERT_TRUE(SaveSettingsToRegistry(registry_, saved));
  Settings loaded{DefaultSettings("/elsewhere")};
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, loaded).opened);
  EXPECT_EQ(loaded, saved);
}

TEST_F(RegistryStoreTest, TheUsersValuesCountOverTheMachinesAndOnlyTheUsersAreWritten) {
  Store("Quality", "eBook: medium quality", RegistryRoot::LocalMachine);
  Store("DocAuthor", "Machine default", RegistryRoot::LocalMachine);
  Store("DocAuthor", "Ada");  // the user's own
  Settings settings{DefaultSettings("/home/ada")};
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, settings).opened);
  EXPECT_EQ(settings.Quality, "eBook: medium quality");
  EXPECT_EQ(settings.DocAuthor, "Ada");

  settings.DocAuthor = "Grace";
  ASSERT_TRUE(SaveSettingsToRegistry(registry_, settings));
  EXPECT_EQ(Stored("DocAuthor"), "Grace");
  RegistryValue machine;
  ASSERT_EQ(registry_.QueryValue(RegistryRoot::LocalMachine, registry::kProductKeyPath, "DocAuthor", machine),
            platform::win_error::kSuccess);
  // Where users have a hive of their own, the machine's defaults stay as the installer wrote them.
  EXPECT_EQ(machine.data, platform::UserSettingsRoot() == RegistryRoot::CurrentUser ? "Machine default" : "Grace");
}

TEST_F(RegistryStoreTest, SaveWritesEveryFieldAsTextInOrder) {
  CreateProductKey();
  Store("AdvLastUpdateCheck", "20240101");  // the updater's value is left alone

  Settings settings{DefaultSettings("/home/ada")};
  settings.ColorToPPI = -5;
  ASSERT_TRUE(SaveSettingsToRegistry(registry_, settings));

  std::vector<RegistryValue> values;
  ASSERT_EQ(registry_.ListValues(platform::UserSettingsRoot(), registry::kProductKeyPath, values),
            platform::win_error::kSuccess);
  ASSERT_EQ(values.size(), static_cast<std::size_t>(kSettingsFieldCount) + 1);
  EXPECT_EQ(values[0].name, "AdvLastUpdateCheck");
  EXPECT_EQ(values[0].data, "20240101");
  for (std::size_t i{0}; i < RegistryFieldOrder().size(); ++i) {
    EXPECT_EQ(values[i + 1].name, RegistryFieldOrder()[i].name);
    EXPECT_EQ(values[i + 1].type, platform::kRegSz) << values[i + 1].name;
  }
  EXPECT_EQ(Stored("AdvAskOverwrite"), "0");
  EXPECT_EQ(Stored("AdvOpenDefaultPDF"), "1");
  EXPECT_EQ(Stored("ColorFromPPI"), "300");
  EXPECT_EQ(Stored("ColorToPPI"), "-5");
  EXPECT_EQ(Stored("Quality"), "Large files, high quality for printing.");
  EXPECT_EQ(Stored("DocTitle"), "");
}

TEST_F(RegistryStoreTest, EmptyOrMissingValuesKeepTheField) {
  Settings empty{DefaultSettings("/home/ada")};
  empty.DocTitle = "";
  ASSERT_TRUE(SaveSettingsToRegistry(registry_, empty));

  Settings settings{DefaultSettings("/home/ada")};
  settings.DocTitle = "kept";
  settings.AdvOpenWith = "kept too";
  Store("AdvOpenWith", "");
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, settings).opened);
  EXPECT_EQ(settings.DocTitle, "kept");
  EXPECT_EQ(settings.AdvOpenWith, "kept too");
}

TEST_F(RegistryStoreTest, OnlyExactNamesAreRead) {
  CreateProductKey();
  Store("doctitle", "lower case");
  Store("DOCTITLE", "upper case");
  Store("DocTitle ", "trailing blank");
  Store("colortoppi", "9");
  Settings settings{DefaultSettings("/home/ada")};
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, settings).opened);
  EXPECT_EQ(settings, DefaultSettings("/home/ada"));
}

TEST_F(RegistryStoreTest, NumbersReadTheirLeadingDigits) {
  CreateProductKey();
  Store("AdvAskOverwrite", "1");
  Store("AdvShowWindow", "0");
  Store("ColorFromPPI", "abc");
  Store("ColorToPPI", "12abc");
  Store("GreyToPPI", "  -96 dpi");
  Settings settings{DefaultSettings("/home/ada")};
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, settings).opened);
  EXPECT_EQ(settings.AdvAskOverwrite, 1);
  EXPECT_EQ(settings.AdvShowWindow, 0);
  EXPECT_EQ(settings.ColorFromPPI, 0);
  EXPECT_EQ(settings.ColorToPPI, 12);
  EXPECT_EQ(settings.GreyToPPI, -96);
  EXPECT_EQ(settings.MonoToPPI, 72);
}

TEST_F(RegistryStoreTest, LongTextsSurviveALoadAndSave) {
  CreateProductKey();
  const std::string keywords(300, 'k');
  const std::string openWith{"/opt/" + std::string(400, 'v') + "/viewer"};
  Store("DocKeywords", keywords);
  Store("AdvOpenWith", openWith);
  Store("DocTitle", "after the long ones");

  Settings settings{DefaultSettings("/home/ada")};
  ASSERT_TRUE(LoadSettingsFromRegistry(registry_, settings).opened);
  EXPECT_EQ(settings.DocTitle, "after the long ones");
  ASSERT_TRUE(SaveSettingsToRegistry(registry_, settings));
  EXPECT_EQ(Stored("DocKeywords"), keywords);
  EXPECT_EQ(Stored("AdvOpenWith"), openWith);
}

}  // namespace
}  // namespace vellumor::settings
