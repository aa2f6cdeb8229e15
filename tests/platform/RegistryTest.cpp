#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/UnprivilegedRun.h"
#include "platform/posix/HiveFile.h"
#include "support/FileModes.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using test::ModeOf;
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
  const ParsedHive hive = ParseHive(ReadFileBytes(registry.HivePath(kMachine)));
  EXPECT_EQ(hive.damage.lines, 0U);
  EXPECT_EQ(hive.hive.keys.size(), 3U);
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

  // Several values at once follow the same rules, and create a missing key.
  const RegistryValue batch[] = {Text("New", "n2"), Text("Last", "l"), Text("Quality", "q2")};
  ASSERT_EQ(registry.SetValues(kMachine, kKey, batch), win_error::kSuccess);
  EXPECT_EQ(Names(registry, kKey), (std::vector<std::string>{"Quality", "SaveAs", "AfterCreation", "New", "Last"}));
  ASSERT_EQ(registry.QueryValue(kMachine, kKey, "Quality", value), win_error::kSuccess);
  EXPECT_EQ(value.data, "q2");
  ASSERT_EQ(registry.SetValues(kMachine, "SOFTWARE\\Fresh", batch), win_error::kSuccess);
  EXPECT_EQ(Names(registry, "SOFTWARE\\Fresh"), (std::vector<std::string>{"New", "Last", "Quality"}));
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
  EXPECT_EQ(ModeOf(temp / "config"), 0700U);
  EXPECT_EQ(ModeOf(registry.Folder()), 0700U);
  EXPECT_EQ(ModeOf(registry.HivePath(kMachine)), 0600U);
  EXPECT_EQ(ReadFileBytes(registry.HivePath(kMachine)).rfind("REGEDIT4\n", 0), 0U);
  const std::vector<std::string> files = test::NamesIn(registry.Folder());
  for (const std::string& name : files) {
    EXPECT_EQ(ModeOf(registry.Folder() / name) & 077, 0U) << registry.Folder() / name;
  }
  EXPECT_EQ(files, (std::vector<std::string>{"system.reg", "system.reg.lock"}));
}

TEST_F(RegistryTest, DamagedHiveKeepsItsReadableValuesAndIsKeptBeforeItIsReplaced) {
  std::vector<std::string> told;
  Registry watched{registry.Folder(), [&](std::string_view line) { told.emplace_back(line); }};
  const std::filesystem::path hive = registry.HivePath(kMachine);
  const std::string head =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Software]\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Software\\Vellumor]\n";
  const std::string damaged[] = {
      head + "\"SecAlwaysUse\"=\"1\"\n\"DocTitle\"=\"cut\n\"SecOpenPassword\"=\"pw\"\n",
      "\xEF\xBB\xBF" + head + "\"SecAlwaysUse\"=\"1\"\r\n\"SecOpenPassword\"=\"pw\"\r\n" + std::string{"\0", 1},
      head + "\"SecAlwaysUse\"=\"1\"\n\"SecOpenPassword\"=\"pw\"\n\"DocTitle\"=\"cu",
  };
  const char* const reports[] = {"system.reg: skipped damaged line 7 (", "system.reg: skipped damaged line 8 (",
                                 "system.reg: skipped damaged line 8 ("};
  const char* const copies[] = {"system.reg.bad", "system.reg.bad.2", "system.reg.bad.3"};
  std::filesystem::create_directories(registry.Folder());
  for (int round = 0; round < 3; ++round) {
    WriteFileBytes(hive, damaged[round]);
    told.clear();
    for (const char* name : {"SecAlwaysUse", "SecOpenPassword"}) {
      RegistryValue value;
      ASSERT_EQ(watched.QueryValue(kMachine, kKey, name, value), win_error::kSuccess) << round << name;
      EXPECT_EQ(value.data, name == std::string_view{"SecAlwaysUse"} ? "1" : "pw");
    }
    // Told once however often the hive is read, in one line that names it.
    ASSERT_EQ(told.size(), 1U) << round;
    EXPECT_EQ(told[0].rfind(hive.string() + ": ", 0), 0U) << told[0];
    EXPECT_NE(told[0].find(reports[round]), std::string::npos) << told[0];
    // Reading, and changes that change nothing, leave the damaged file alone.
    EXPECT_EQ(watched.SetValue(kMachine, kKey, Text("SecAlwaysUse", "1")), win_error::kSuccess);
    EXPECT_EQ(ReadFileBytes(hive), damaged[round]);
    EXPECT_FALSE(std::filesystem::exists(registry.Folder() / copies[round]));

    ASSERT_EQ(watched.SetValue(kMachine, kKey, Text("Quality", "x")), win_error::kSuccess);
    EXPECT_EQ(ReadFileBytes(registry.Folder() / copies[round]), damaged[round]);
    EXPECT_EQ(ParseHive(ReadFileBytes(hive)).damage.lines, 0U);
    EXPECT_EQ(Names(watched, kKey), (std::vector<std::string>{"SecAlwaysUse", "SecOpenPassword", "Quality"}));
    EXPECT_EQ(told.size(), 1U);
  }
  // An earlier copy is never replaced by a later one.
  EXPECT_EQ(ReadFileBytes(registry.Folder() / copies[0]), damaged[0]);
}

// Whatever sits at the hive's name, a read ends promptly with a reason and a change never
// replaces it: taking it for an empty hive would store the defaults over the user's settings.
TEST_F(RegistryTest, HiveThatCannotBeReadIsAFailureNotAnEmptyHive) {
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  const std::filesystem::path hive = registry.HivePath(kMachine);
  struct Case {
    const char* what;
    std::function<void()> make;
    const char* reason;
  };
  const Case cases[] = {
      {"folder", [&] { std::filesystem::create_directory(hive); }, ": Is a directory"},
      {"link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", hive); }, ": not a regular file"},
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(hive.c_str(), 0600), 0); }, ": not a regular file"},
      {"5 MB file",
       [&] {
         WriteFileBytes(hive, "REGEDIT4\n");
         std::filesystem::resize_file(hive, 5 << 20);
       },
       ": larger than 4 MB"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(hive);
    c.make();
    std::vector<RegistryValue> values;
    std::string problem;
    EXPECT_NE(registry.ReadKey(kMachine, kKey, values, problem), win_error::kSuccess) << c.what;
    EXPECT_NE(registry.OpenKey(kMachine, kKey), win_error::kFileNotFound) << c.what;
    EXPECT_EQ(problem, hive.string() + c.reason) << c.what;
    EXPECT_NE(registry.CreateKey(kMachine, kKey), win_error::kSuccess) << c.what;
    EXPECT_FALSE(std::filesystem::exists(registry.Folder() / "system.reg.bad")) << c.what;
  }
  std::filesystem::remove_all(hive);

  // The size limit is far above real hives: 3 MB is stored and read back; 5 MB is not stored.
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("Big", std::string(3 << 20, 'x'))), win_error::kSuccess);
  RegistryValue big;
  ASSERT_EQ(registry.QueryValue(kMachine, kKey, "Big", big), win_error::kSuccess);
  EXPECT_EQ(big.data.size(), 3U << 20);
  EXPECT_NE(registry.SetValue(kMachine, kKey, Text("Big", std::string(5 << 20, 'y'))), win_error::kSuccess);
  ASSERT_EQ(registry.QueryValue(kMachine, kKey, "Big", big), win_error::kSuccess);
  EXPECT_EQ(big.data.size(), 3U << 20);

  // A hive its owner may not read (as root, checked as another user).
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});
  std::filesystem::permissions(temp / "config", std::filesystem::perms{0755});
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0755});
  std::filesystem::permissions(hive, std::filesystem::perms::none);
  const std::string failures = test::RunUnprivileged([&] {
    Registry other{registry.Folder()};
    std::vector<RegistryValue> values;
    std::string problem;
    const long result = other.ReadKey(kMachine, kKey, values, problem);
    const long change = other.SetValue(kMachine, kKey, Text("Quality", "x"));
    return result == win_error::kAccessDenied && change == win_error::kAccessDenied &&
                   problem == hive.string() + ": Permission denied"
               ? std::string{}
               : "read " + std::to_string(result) + ", change " + std::to_string(change) + ": " + problem;
  });
  std::filesystem::permissions(registry.Folder(), std::filesystem::perms{0700});
  EXPECT_EQ(failures, "");
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
  test::ScopedVariable registryVar{"VELLUMOR_REGISTRY", std::nullopt};
  test::ScopedVariable configVar{"XDG_CONFIG_HOME", std::nullopt};
  const test::ScopedVariable homeVar{"HOME", "/home/someone"};
  EXPECT_EQ(Registry::DefaultFolder(), "/home/someone/.config/vellumor/registry");
  configVar.Set("/cfg");
  EXPECT_EQ(Registry::DefaultFolder(), "/cfg/vellumor/registry");
  registryVar.Set("/reg");
  EXPECT_EQ(Registry::DefaultFolder(), "/reg");
}

}  // namespace
}  // namespace vellumor::platform
