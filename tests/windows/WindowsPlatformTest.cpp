// The Windows seams other than the registry: the system's temporary files, the process
// environment, the user's desktop as Explorer records it, and command-line quoting for the shell.

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>

#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/SystemEvents.h"
#include "platform/TempFolder.h"
#include "platform/win32/DesktopShell.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

constexpr std::string_view kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(WindowsTempFolderTest, ReservesFreshVlmFilesInTheSystemsFolder) {
  std::string error;
  std::vector<std::string> notices;
  const std::optional<TempFolder> temp = TempFolder::Open(TempFolder::DefaultFolder(), error, notices);
  ASSERT_TRUE(temp) << error;
  EXPECT_TRUE(std::filesystem::is_directory(temp->Path()));

  test::TempDir dir;
  const std::optional<TempFolder> folder = TempFolder::At(dir.Path(), error);
  ASSERT_TRUE(folder) << error;
  const std::optional<std::filesystem::path> first = folder->Reserve("vlm");
  const std::optional<std::filesystem::path> second = folder->Reserve("vlm");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  for (const std::filesystem::path& reserved : {*first, *second}) {
    EXPECT_EQ(reserved.parent_path(), dir.Path());
    EXPECT_TRUE(std::regex_match(reserved.filename().string(), std::regex{"vlm[0-9A-Fa-f]{1,4}\\.tmp"}))
        << reserved.filename();
    EXPECT_EQ(std::filesystem::file_size(reserved), 0U);  // created, so nobody else can take the name
  }

  test::WriteFileBytes(dir / "file", "x");
  EXPECT_FALSE(TempFolder::At(dir / "file", error));
  EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
  EXPECT_FALSE(TempFolder::At(dir / "missing", error));
  const std::optional<TempFolder> made = TempFolder::Private(dir / "private", error);
  ASSERT_TRUE(made) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "private"));
}

TEST(WindowsEnvironmentTest, VariablesKeepTextAndEmptyValues) {
  const std::string greeting =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC";
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_TEST_TEXT", greeting));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_TEXT"), greeting);
  // Emptied, not removed: an engine that finds no variable looks for its installation's.
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_TEST_TEXT", ""));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_TEXT"), "");
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_NEVER_SET"), std::nullopt);
  EXPECT_FALSE(SetEnvironmentVariable("A=B", "x"));
  EXPECT_FALSE(SetEnvironmentVariable("", "x"));
  EXPECT_FALSE(SetEnvironmentVariable("VELLUMOR_TEST_TEXT", std::string{"a\0b", 3}));
  const std::string longValue(5000, 'v');
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_TEST_TEXT", longValue));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_TEXT"), longValue);
}

TEST(WindowsEnvironmentTest, UserAndProgram) {
  EXPECT_FALSE(LogonName().empty());
  EXPECT_EQ(LogonName(), GetEnvironmentVariable("USERNAME").value_or(""));
  EXPECT_TRUE(std::filesystem::is_directory(HomeFolder()));
  EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "WindowsPlatformTest.exe"));
}

// Explorer's record of the desktop is used as written (the naming rules put the user's name in
// for "LocalService"); without a record the shell names the folder.
TEST(WindowsEnvironmentTest, DesktopIsExplorersRecordElseTheShells) {
  Registry machine{{}};
  RegistryValue saved;
  const bool hadRecord =
      machine.QueryValue(RegistryRoot::CurrentUser, kShellFolders, "Desktop", saved) == win_error::kSuccess;
  ASSERT_EQ(machine.CreateKey(RegistryRoot::CurrentUser, kShellFolders), win_error::kSuccess);

  const std::string serviceDesktop = "C:\\Windows\\ServiceProfiles\\LocalService\\Desktop";
  ASSERT_EQ(
      machine.SetValue(RegistryRoot::CurrentUser, kShellFolders, RegistryValue{"Desktop", kRegSz, serviceDesktop}),
      win_error::kSuccess);
  EXPECT_EQ(DesktopFolder(), std::filesystem::path{serviceDesktop});

  machine.DeleteValue(RegistryRoot::CurrentUser, kShellFolders, "Desktop");
  const std::filesystem::path shellDesktop = DesktopFolder();
  EXPECT_FALSE(shellDesktop.empty());
  EXPECT_TRUE(std::filesystem::is_directory(shellDesktop)) << shellDesktop;

  if (hadRecord) {
    machine.SetValue(RegistryRoot::CurrentUser, kShellFolders, saved);
  }
}

// Diagnostics carry the system's own words, on one line; errno values map to the system's codes.
TEST(WindowsSystemEventsTest, ErrorTextsAreTheSystemsOnOneLine) {
  for (const long code : {0L, 2L, 5L, 32L, 160L, 234L}) {
    const std::string text = SystemErrorText(code);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Unknown error"), std::string::npos) << code;
  }
  EXPECT_EQ(SystemErrorText(99999), "Unknown error 99999.");
  EXPECT_EQ(ErrorCodeFromErrno(EACCES), 5);
  EXPECT_EQ(ErrorCodeFromErrno(ENOENT), 2);
  EXPECT_EQ(ErrorCodeFromErrno(EAGAIN), 32);
  EXPECT_EQ(ErrorCodeFromErrno(ENOSPC), 112);
  for (int value = 1; value < 150; ++value) {
    EXPECT_NE(ErrorCodeFromErrno(value), 0) << value;
  }
  const std::size_t before = SettingChangeBroadcastCount();
  BroadcastSettingChange("Environment");  // returns: nobody hangs it
  EXPECT_EQ(SettingChangeBroadcastCount(), before + 1);
}

TEST(WindowsShellTest, ArgumentsReachTheProgramWhole) {
  const std::pair<std::wstring_view, std::wstring_view> cases[] = {
      {L"C:\\Out\\Report.pdf", L"\"C:\\Out\\Report.pdf\""},
      {L"C:\\My Files\\A b.pdf", L"\"C:\\My Files\\A b.pdf\""},
      {L"C:\\Folder\\", L"\"C:\\Folder\\\\\""},  // the last backslash must not quote the closing quote
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},
      {L"", L"\"\""},
  };
  for (const auto& [argument, quoted] : cases) {
    EXPECT_EQ(QuotedArgument(argument), quoted);
  }
  WindowsShell shell;
  test::TempDir dir;
  EXPECT_FALSE(shell.OpenDocument((dir / "missing.pdf").string()));
  EXPECT_FALSE(shell.OpenWith((dir / "no-such-viewer.exe").string(), (dir / "missing.pdf").string()));
}

}  // namespace
}  // namespace vellumor::platform
