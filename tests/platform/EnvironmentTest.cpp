#include "platform/Environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "platform/Display.h"
#include "support/DeadDisplay.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using test::WriteFileBytes;

// Sets variables for one test and puts the old values back afterwards.
class EnvironmentTest : public ::testing::Test {
 protected:
  void Set(const std::string& name, const std::optional<std::string>& value) {
    variables_.try_emplace(name, name).first->second.Set(value);
  }

  test::TempDir home;

 private:
  std::map<std::string, test::ScopedVariable> variables_;
};

TEST_F(EnvironmentTest, VariablesAreSetAndReadBack) {
  Set("VELLUMOR_TEST_VAR", std::nullopt);
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_VAR"), std::nullopt);
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_TEST_VAR", "a b=c"));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_VAR"), "a b=c");
  // Emptying keeps the variable, as the engine's environment needs it.
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_TEST_VAR", ""));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_VAR"), "");

  EXPECT_FALSE(SetEnvironmentVariable("", "x"));
  EXPECT_FALSE(SetEnvironmentVariable("A=B", "x"));
  EXPECT_FALSE(SetEnvironmentVariable("VELLUMOR_TEST_VAR", std::string_view{"a\0b", 3}));
  EXPECT_EQ(GetEnvironmentVariable("VELLUMOR_TEST_VAR"), "");
}

TEST_F(EnvironmentTest, IdentityAndFoldersOfTheUser) {
  const passwd* entry = ::getpwuid(::geteuid());
  Set("USER", "somebody-else");
  EXPECT_EQ(LogonName(), entry != nullptr ? std::string{entry->pw_name} : std::to_string(::geteuid()));

  Set("HOME", "/home/elsewhere");
  EXPECT_EQ(HomeFolder(), "/home/elsewhere");
  Set("HOME", std::nullopt);
  if (entry != nullptr) {
    EXPECT_EQ(HomeFolder(), entry->pw_dir);
  }

  Set("DISPLAY", std::nullopt);
  Set("WAYLAND_DISPLAY", "");
  EXPECT_FALSE(DisplayAvailable());
  Set("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(DisplayAvailable());

  EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "EnvironmentTest"));
}

TEST_F(EnvironmentTest, ANamedDisplayMustAnswer) {
  const test::DeadXDisplay deadX;
  ASSERT_FALSE(deadX.Name().empty());
  Set("XDG_RUNTIME_DIR", home.Path().string());
  const test::ListeningSocket wayland{home / "wayland-live"};
  ASSERT_TRUE(wayland.Listening());
  {
    // A compositor that is gone leaves its socket file behind.
    const test::ListeningSocket gone{home / "wayland-gone"};
  }
  const struct {
    std::optional<std::string> x;
    std::optional<std::string> wayland;
    bool reachable;
    std::string why;
  } cases[] = {
      {std::nullopt, std::nullopt, false, "no display is named"},
      {deadX.Name(), std::nullopt, false, "DISPLAY \"" + deadX.Name() + "\" cannot be reached"},
      {std::nullopt, "wayland-none", false, "WAYLAND_DISPLAY \"wayland-none\" cannot be reached"},
      {std::nullopt, (home / "wayland-none").string(), false,
       "WAYLAND_DISPLAY \"" + (home / "wayland-none").string() + "\" cannot be reached"},
      {std::nullopt, "wayland-gone", false, "WAYLAND_DISPLAY \"wayland-gone\" cannot be reached"},
      {std::nullopt, "wayland-live", true, ""},
      {std::nullopt, (home / "wayland-live").string(), true, ""},
      {deadX.Name(), "wayland-live", true, ""},
      {deadX.Name(), "wayland-none", false,
       "DISPLAY \"" + deadX.Name() + "\" cannot be reached and WAYLAND_DISPLAY \"wayland-none\" cannot be reached"},
  };
  for (const auto& [x, waylandName, reachable, why] : cases) {
    Set("DISPLAY", x);
    Set("WAYLAND_DISPLAY", waylandName);
    std::string said;
    EXPECT_EQ(DisplayReachable(said), reachable) << x.value_or("-") << " " << waylandName.value_or("-");
    EXPECT_EQ(said, why);
  }
}

TEST_F(EnvironmentTest, DesktopFolderFollowsUserDirs) {
  Set("HOME", home.Path().string());
  Set("XDG_CONFIG_HOME", std::nullopt);
  Set("XDG_DESKTOP_DIR", std::nullopt);
  std::filesystem::create_directories(home / ".config");
  const std::filesystem::path dirs = home / ".config" / "user-dirs.dirs";

  // Nothing configured, nothing there yet: still ~/Desktop, never the home folder itself.
  EXPECT_EQ(DesktopFolder(), home / "Desktop");

  WriteFileBytes(dirs,
                 "# This file is written by xdg-user-dirs-update\n"
                 "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                 "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  EXPECT_EQ(DesktopFolder(), home / "Bureau");

  // Escaped characters, CRLF and the last assignment winning, as the shell reads the file.
  WriteFileBytes(dirs,
                 "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\r\n"
                 "XDG_DESKTOP_DIR=\"$HOME/My \\\"Desk\\\" \\$1\"\r\n");
  EXPECT_EQ(DesktopFolder(), home / "My \"Desk\" $1");

  // An absolute path; a configured folder counts whether or not it exists yet.
  WriteFileBytes(dirs, "XDG_DESKTOP_DIR=\"" + (home / "Bureau").string() + "\"\n");
  EXPECT_EQ(DesktopFolder(), home / "Bureau");
  WriteFileBytes(dirs, "XDG_DESKTOP_DIR=\"$HOME/Missing\"\n");
  EXPECT_EQ(DesktopFolder(), home / "Missing");
  // Not a desktop of its own: a relative path (not valid in this file), or the home folder, which
  // is how xdg-user-dirs switches a folder off.
  for (const char* value : {"Bureau", "$HOME", "$HOME/", "${HOME}/."}) {
    WriteFileBytes(dirs, std::string{"XDG_DESKTOP_DIR=\""} + value + "\"\n");
    EXPECT_EQ(DesktopFolder(), home / "Desktop") << value;
  }

  // The environment variable counts when the file names no desktop.
  Set("XDG_DESKTOP_DIR", (home / "FromEnvironment").string());
  EXPECT_EQ(DesktopFolder(), home / "FromEnvironment");
  Set("XDG_DESKTOP_DIR", home.Path().string() + "/");
  EXPECT_EQ(DesktopFolder(), home / "Desktop");
  Set("XDG_DESKTOP_DIR", (home / "FromEnvironment").string());
  WriteFileBytes(dirs, "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  EXPECT_EQ(DesktopFolder(), home / "Bureau");
  Set("XDG_DESKTOP_DIR", std::nullopt);

  // XDG_CONFIG_HOME moves the file; a relative XDG_CONFIG_HOME is ignored.
  std::filesystem::create_directories(home / "cfg");
  WriteFileBytes(home / "cfg" / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Elsewhere\"\n");
  Set("XDG_CONFIG_HOME", (home / "cfg").string());
  EXPECT_EQ(DesktopFolder(), home / "Elsewhere");
  Set("XDG_CONFIG_HOME", "cfg");
  EXPECT_EQ(DesktopFolder(), home / "Bureau");
}

TEST_F(EnvironmentTest, AMissingDesktopIsCreatedButNeverReplacedByTheHome) {
  Set("HOME", home.Path().string());
  const mode_t oldMask = ::umask(022);
  std::filesystem::create_directories(home / "outside");
  WriteFileBytes(home / "Blocked", "a file of the user's");

  const struct {
    std::filesystem::path desktop;
    std::string problem;  // "" when the folder is there afterwards
  } cases[] = {
      {home / "Desktop", ""},
      {home / "Desktop", ""},  // already there
      {home / "a" / "b" / "Schreibtisch", ""},
      {home / "Blocked", "(" + (home / "Blocked").string() + ": Not a directory)"},
      {home / "Blocked" / "Desktop", "(" + (home / "Blocked").string() + ": Not a directory)"},
  };
  for (const auto& [desktop, problem] : cases) {
    std::string error;
    EXPECT_EQ(CreateDesktopFolder(desktop, error), problem.empty()) << desktop;
    EXPECT_THAT(error, ::testing::HasSubstr(problem)) << desktop;
    if (problem.empty()) {
      EXPECT_EQ(std::filesystem::status(desktop).permissions(), std::filesystem::perms{0755}) << desktop;
      EXPECT_EQ(std::filesystem::status(desktop.parent_path()).permissions(),
                desktop.parent_path() == home.Path() ? std::filesystem::status(home.Path()).permissions()
                                                     : std::filesystem::perms{0755});
    }
  }
  EXPECT_EQ(test::ReadFileBytes(home / "Blocked"), "a file of the user's");

  // Outside the home folder only the desktop itself is made; the home folder itself never is.
  Set("HOME", (home / "inner").string());
  std::string error;
  EXPECT_TRUE(CreateDesktopFolder(home / "outside" / "Desk", error)) << error;
  EXPECT_FALSE(CreateDesktopFolder(home / "outside" / "not" / "Desk", error));
  EXPECT_THAT(error, ::testing::HasSubstr("No such file or directory"));
  EXPECT_FALSE(CreateDesktopFolder(home / "inner" / "Desktop", error));
  EXPECT_EQ(error, "The desktop folder " + (home / "inner" / "Desktop").string() +
                       " cannot be created: the home folder " + (home / "inner").string() + " does not exist.");
  EXPECT_FALSE(std::filesystem::exists(home / "inner"));
  ::umask(oldMask);
}

}  // namespace
}  // namespace vellumor::platform
