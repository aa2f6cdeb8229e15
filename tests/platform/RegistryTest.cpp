#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/HiveFile.h"
#include "platform/UnprivilegedRun.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr std::string_view kKey = "SOFTWARE\\Corvane Software\\Vellumor";

RegistryValue Text(std::string name, std::string data) {
  return RegistryValue{std::move(name), kRegSz, std::move(data)};
}

std::vector<std::string> Names(const Registry& registry, std::string_view key) {
  std::vector<RegistryValue> values;
  EXPECT_EQ(registry.ListValues(kMachine, key, values), win_error::kSuccess);
  std::vector<std::string> names;
  for (const RegistryValue& value : values) {
    names.push_back(value.name);
  }
  return names;
}

mode_t Mode(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class RegistryTest : public ::testing::Test {
 protected:
  test::TempDir temp;
  Registry registry{temp / "config" / "registry"};
};

TEST_F(RegistryTest, KeysIgnoreLetterCaseAndAreCreatedWithTheirParents) {
  EXPECT_EQ(registry.OpenKey(kMachine, kKey), win_error::kFileNotFound);
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKey(kMachine, "software\\CORVANE SOFTWARE\\vellumor"), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKey(kMachine, "SOFTWARE\\Corvane Software"), win_error::kSuccess);
  EXPECT_EQ(registry.OpenKey(kMachine, "SOFTWARE\\Corvane"), win_error::kFileNotFound);
  // The two roots are separate hives.
  EXPECT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, kKey), win_error::kFileNotFound);
  // Creating an existing key under another spelling adds nothing.
  ASSERT_EQ(registry.CreateKey(kMachine, "SOFTWARE\\corvane software\\VELLUMOR"), win_error::kSuccess);
  const std::optional<Hive> hive = ParseHive(ReadFileBytes(registry.HivePath(kMachine)));
  ASSERT_TRUE(hive.has_value());
  EXPECT_EQ(hive->keys.size(), 3U);
  // A key name cannot hold a line break: the section header would not survive it.
  EXPECT_EQ(registry.CreateKey(kMachine, "SOFTWARE\\bad\nname"), win_error::kBadArguments);
}

TEST_F(RegistryTest, ValuesKeepTheirOrderAndNamesCompareExactly) {
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  for (const char* name : {"Quality", "SaveAs", "quality", "AfterCreation"}) {
    ASSERT_EQ(registry.SetValue(kMachine, kKey, Text(name, std::string{"v-"} + name)), win_error::kSuccess);
  }
  // Replacing a value keeps its place; a new one is appended.
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("SaveAs", "changed")), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("New", "n")), win_error::kSuccess);
  EXPECT_EQ(Names(registry, kKey), (std::vector<std::string>{"Quality", "SaveAs", "quality", "AfterCreation", "New"}));

  RegistryValue value;
  ASSERT_EQ(registry.QueryValue(kMachine, "software\\corvane software\\vellumor", "quality", value),
            win_error::kSuccess);
  EXPECT_EQ(value.data, "v-quality");
  EXPECT_EQ(registry.QueryValue(kMachine, kKey, "QUALITY", value), win_error::kFileNotFound);

  ASSERT_EQ(registry.DeleteValue(kMachine, kKey, "quality"), win_error::kSuccess);
  EXPECT_EQ(registry.DeleteValue(kMachine, kKey, "quality"), win_error::kFileNotFound);
  EXPECT_EQ(Names(registry, kKey), (std::vector<std::string>{"Quality", "SaveAs", "AfterCreation", "New"}));
}

TEST_F(RegistryTest, OperationsOnAMissingKeyReportFileNotFound) {
  std::vector<RegistryValue> values;
  RegistryValue value;
  EXPECT_EQ(registry.ListValues(kMachine, kKey, values), win_error::kFileNotFound);
  EXPECT_EQ(registry.QueryValue(kMachine, kKey, "Quality", value), win_error::kFileNotFound);
  EXPECT_EQ(registry.SetValue(kMachine, kKey, Text("Quality", "x")), win_error::kFileNotFound);
  EXPECT_EQ(registry.DeleteValue(kMachine, kKey, "Quality"), win_error::kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(registry.HivePath(kMachine)));
}

TEST_F(RegistryTest, FilesArePrivateAndNoTemporaryFileIsLeft) {
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("SecOpenPassword", "secret")), win_error::kSuccess);
  EXPECT_EQ(Mode(temp / "config"), 0700U);
  EXPECT_EQ(Mode(registry.Folder()), 0700U);
  EXPECT_EQ(Mode(registry.HivePath(kMachine)), 0600U);
  EXPECT_EQ(ReadFileBytes(registry.HivePath(kMachine)).rfind("REGEDIT4\n", 0), 0U);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(registry.Folder())) {
    files.push_back(entry.path().filename().string());
    EXPECT_EQ(Mode(entry.path()) & 077, 0U) << entry.path();
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"system.reg", "system.reg.lock"}));
}

TEST_F(RegistryTest, DamagedHiveReadsAsEmptyAndIsKeptBeforeItIsReplaced) {
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("Quality", "Print")), win_error::kSuccess);
  const std::string valid = ReadFileBytes(registry.HivePath(kMachine));
  const std::string truncated = valid.substr(0, valid.find(']'));  // cut inside the section header
  const std::string binary{"\0\x01\x02\xFFgarbage\x1A", 12};

  const std::filesystem::path hive = registry.HivePath(kMachine);
  const std::string damaged[] = {truncated, binary};
  const char* const copies[] = {"system.reg.bad", "system.reg.bad.2"};
  for (int round = 0; round < 2; ++round) {
    WriteFileBytes(hive, damaged[round]);
    EXPECT_EQ(registry.OpenKey(kMachine, kKey), win_error::kFileNotFound);
    // Reading, and changes that change nothing, leave the damaged file alone.
    EXPECT_EQ(registry.SetValue(kMachine, kKey, Text("Quality", "x")), win_error::kFileNotFound);
    EXPECT_EQ(ReadFileBytes(hive), damaged[round]);
    EXPECT_FALSE(std::filesystem::exists(registry.Folder() / copies[round]));

    ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
    EXPECT_EQ(ReadFileBytes(registry.Folder() / copies[round]), damaged[round]);
    EXPECT_TRUE(ParseHive(ReadFileBytes(hive)).has_value());
    EXPECT_EQ(registry.OpenKey(kMachine, kKey), win_error::kSuccess);
  }
  // The first copy was not replaced by the second.
  EXPECT_EQ(ReadFileBytes(registry.Folder() / copies[0]), truncated);
}

TEST_F(RegistryTest, ReadOnlyFolderRefusesChangesWithAccessDenied) {
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("Quality", "Print")), win_error::kSuccess);
  // Readable by everybody, writable by nobody.
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});
  std::filesystem::permissions(temp / "config", std::filesystem::perms{0755});
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0555});
  std::filesystem::permissions(registry.HivePath(kMachine), std::filesystem::perms{0644});

  const std::string failures = test::RunUnprivileged([&] {
    Registry readOnly{registry.Folder()};
    std::string result;
    const auto expect = [&](const char* what, long actual, long expected) {
      if (actual != expected) {
        result += std::string{what} + " gave " + std::to_string(actual) + "; ";
      }
    };
    RegistryValue value;
    expect("OpenKey", readOnly.OpenKey(kMachine, kKey), win_error::kSuccess);
    expect("QueryValue", readOnly.QueryValue(kMachine, kKey, "Quality", value), win_error::kSuccess);
    expect("OpenKeyForWriting", readOnly.OpenKeyForWriting(kMachine, kKey), win_error::kAccessDenied);
    expect("SetValue", readOnly.SetValue(kMachine, kKey, Text("Quality", "Screen")), win_error::kAccessDenied);
    expect("DeleteValue", readOnly.DeleteValue(kMachine, kKey, "Quality"), win_error::kAccessDenied);
    expect("CreateKey", readOnly.CreateKey(kMachine, "SOFTWARE\\Other"), win_error::kAccessDenied);
    return result;
  });
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0700});
  EXPECT_EQ(failures, "");
  RegistryValue value;
  ASSERT_EQ(registry.QueryValue(kMachine, kKey, "Quality", value), win_error::kSuccess);
  EXPECT_EQ(value.data, "Print");
}

TEST(RegistryDefaultFolderTest, FollowsTheEnvironment) {
  const auto saved = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>{value} : std::nullopt;
  };
  const std::optional<std::string> registryVar = saved("VELLUMOR_REGISTRY");
  const std::optional<std::string> configVar = saved("XDG_CONFIG_HOME");
  const std::optional<std::string> homeVar = saved("HOME");

  ::setenv("HOME", "/home/someone", 1);
  ::unsetenv("VELLUMOR_REGISTRY");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(Registry::DefaultFolder(), "/home/someone/.config/vellumor/registry");
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(Registry::DefaultFolder(), "/cfg/vellumor/registry");
  ::setenv("VELLUMOR_REGISTRY", "/reg", 1);
  EXPECT_EQ(Registry::DefaultFolder(), "/reg");

  const auto restore = [](const char* name, const std::optional<std::string>& value) {
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  };
  restore("VELLUMOR_REGISTRY", registryVar);
  restore("XDG_CONFIG_HOME", configVar);
  restore("HOME", homeVar);
}

}  // namespace
}  // namespace vellumor::platform
