#include "registry/ProductRegistryKey.h"

#include <gtest/gtest.h>

#include "platform/UnprivilegedRun.h"
#include "support/TempDir.h"

namespace vellumor::registry {
namespace {

namespace win_error = platform::win_error;
using platform::RegistryRoot;
using platform::RegistryValue;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class ProductRegistryKeyTest : public ::testing::Test {
 protected:
  void Put(std::string name, std::uint32_t type, std::string data) {
    ASSERT_EQ(registry.SetValue(kMachine, kProductKeyPath, RegistryValue{std::move(name), type, std::move(data)}),
              win_error::kSuccess);
  }
  std::vector<RegistryValue> Stored() {
    std::vector<RegistryValue> values;
    EXPECT_EQ(registry.ListValues(kMachine, kProductKeyPath, values), win_error::kSuccess);
    return values;
  }

  test::TempDir temp;
  platform::Registry registry{temp / "registry"};
  ProductRegistryKey key{registry};
};

TEST_F(ProductRegistryKeyTest, OpenNeedsTheKeyAndCreateMakesIt) {
  EXPECT_FALSE(key.Open(kProductKeyPath));
  EXPECT_FALSE(key.IsOpen());
  ASSERT_TRUE(key.Create(kProductKeyPath));
  EXPECT_TRUE(key.IsOpen());
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  EXPECT_TRUE(key.Open("software\\corvane software\\VELLUMOR"));
  EXPECT_FALSE(key.Open("SOFTWARE\\Corvane Software\\Other"));
  EXPECT_FALSE(key.IsOpen());
}

TEST_F(ProductRegistryKeyTest, WritesEveryValueAsTextInOrder) {
  ASSERT_TRUE(key.Create(kProductKeyPath));
  key.SetText("Quality", "Print - Optimized for printing");
  key.SetNumber("AdvAskOverwrite", 1);
  key.SetNumber("AdvPdfResolution", 300);
  key.SetNumber("Negative", -42);
  key.SetText("DocTitle", "");
  key.SetText("Quality", "Screen");  // rewriting keeps the value's place
  key.Close();
  key.SetText("AfterClose", "x");  // a closed key writes nothing

  const std::vector<RegistryValue> values = Stored();
  ASSERT_EQ(values.size(), 5U);
  const std::pair<const char*, const char*> expected[] = {{"Quality", "Screen"},
                                                          {"AdvAskOverwrite", "1"},
                                                          {"AdvPdfResolution", "300"},
                                                          {"Negative", "-42"},
                                                          {"DocTitle", ""}};
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(values[i].name, expected[i].first);
    EXPECT_EQ(values[i].data, expected[i].second);
    EXPECT_EQ(values[i].type, platform::kRegSz);
  }
}

TEST_F(ProductRegistryKeyTest, ReadsOnlyTheExactNameAndKeepsTheFieldWhenThereIsNoData) {
  ASSERT_TRUE(key.Create(kProductKeyPath));
  Put("quality", platform::kRegSz, "Screen");
  Put("DocTitle", platform::kRegSz, "");
  Put("Zoom", platform::kRegDword, std::string{"\x1e\0\0\0", 4});  // the type is not looked at
  Put("Cut", platform::kRegSz, std::string{"abc\0def", 7});
  Put("Long", platform::kRegSz, std::string(1000, 'k'));

  std::string field = "Print";
  key.GetText("Quality", field);  // differs only in letter case: not this field
  EXPECT_EQ(field, "Print");
  field = "kept";
  key.GetText("DocTitle", field);  // empty data reads as missing
  EXPECT_EQ(field, "kept");
  key.GetText("Missing", field);
  EXPECT_EQ(field, "kept");
  key.GetText("Cut", field);
  EXPECT_EQ(field, "abc");
  key.GetText("Zoom", field);
  EXPECT_EQ(field, "\x1e");
  key.GetText("Long", field);  // longer than 254 characters: read whole, so a save cannot shorten it
  EXPECT_EQ(field, std::string(1000, 'k'));

  key.Close();
  field = "closed";
  key.GetText("Long", field);
  EXPECT_EQ(field, "closed");
}

TEST_F(ProductRegistryKeyTest, NumbersAreReadFromTheirLeadingDigits) {
  ASSERT_TRUE(key.Create(kProductKeyPath));
  const std::pair<const char*, std::int32_t> cases[] = {{"1", 1},   {"0", 0},         {"300", 300},
                                                        {"abc", 0}, {"  -12px", -12}, {"4294967297", 1}};
  for (const auto& [text, expected] : cases) {
    Put("N", platform::kRegSz, text);
    std::int32_t field{77};
    key.GetNumber("N", field);
    EXPECT_EQ(field, expected) << text;
  }
  std::int32_t field{-5};
  key.GetNumber("Missing", field);
  EXPECT_EQ(field, -5);
  Put("Empty", platform::kRegSz, "");
  key.GetNumber("Empty", field);
  EXPECT_EQ(field, -5);
}

TEST_F(ProductRegistryKeyTest, ReadOnlyRegistryRefusesCreateButStillOpens) {
  ASSERT_TRUE(key.Create(kProductKeyPath));
  key.SetText("Quality", "Print");
  key.Close();
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0555});
  std::filesystem::permissions(registry.HivePath(kMachine), std::filesystem::perms{0644});
  const std::string failures = test::RunUnprivileged([&] {
    std::string result;
    ProductRegistryKey other{registry};
    if (other.Create(kProductKeyPath)) {
      result += "Create succeeded; ";
    }
    if (!other.Open(kProductKeyPath)) {
      result += "Open failed; ";
    }
    other.SetText("Quality", "Screen");
    std::string field;
    other.GetText("Quality", field);
    if (field != "Print") {
      result += "read \"" + field + "\"; ";
    }
    return result;
  });
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0700});
  EXPECT_EQ(failures, "");
}

}  // namespace
}  // namespace vellumor::registry
