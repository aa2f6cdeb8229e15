// Setup files meeting what only POSIX systems have: FIFOs and devices at the file's name, a file
// size limit that cuts a write short, and file modes. This program runs on Linux alone.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/SetupFile.h"
#include "support/FileModes.h"
#include "support/SampleSettings.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

namespace vellumor::settings {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// A setup file may come from anywhere: whatever sits at its name, reading ends at once.
TEST(ReadSetupFileTest, OnlyRegularFilesOfSaneSizeAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.vsf").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero.vsf");
  WriteFileBytes(dir / "huge.vsf", "DocTitle;huge\r\n");
  std::filesystem::resize_file(dir / "huge.vsf", 300 << 20);
  // Far below the limit but far above any real file: read.
  WriteFileBytes(dir / "big.vsf", std::string(1000000, '\n') + "DocTitle;big\r\n");
  WriteFileBytes(dir / "plain.vsf", "DocTitle;plain\r\n");
  std::filesystem::create_symlink(dir / "plain.vsf", dir / "link.vsf");

  struct Case {
    const char* name;
    platform::FinalLink link;
    const char* refused;  // "" when read
    const char* title;
  };
  const Case cases[] = {
      {"fifo.vsf", platform::FinalLink::Follow, "not a regular file", ""},
      {"zero.vsf", platform::FinalLink::Follow, "not a regular file", ""},
      {"huge.vsf", platform::FinalLink::Follow, "larger than 1 MB", ""},
      {"big.vsf", platform::FinalLink::Follow, "", "big"},
      {"link.vsf", platform::FinalLink::Follow, "", "plain"},
      {"link.vsf", platform::FinalLink::Refuse, "a symbolic link", ""},
      {"plain.vsf", platform::FinalLink::Refuse, "", "plain"},
  };
  for (const Case& c : cases) {
    Settings settings{DefaultSettings("/")};
    const SetupFileRead read{ReadSetupFile(dir / c.name, settings, c.link)};
    EXPECT_EQ(read.read, std::string_view{c.refused}.empty()) << c.name;
    EXPECT_EQ(read.refused, c.refused) << c.name;
    EXPECT_EQ(settings.DocTitle, c.title) << c.name;
  }
}

// The disk filling up half-way (here: a file size limit) must not cost the user the file that
// was there.
TEST(WriteSetupFileTest, FailedWriteKeepsTheOldFileWhole) {
  TempDir dir;
  const std::filesystem::path path{dir / "kept.vsf"};
  const std::string old{SetupFileText(test::SampleSettings())};
  WriteFileBytes(path, old);
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
    test::ScriptedInteraction ui;
    const bool saved{WriteSetupFile(path, DefaultSettings("/"), ui)};
    const std::string said{saved ? "saved" : ui.messages.empty() ? "" : ui.messages[0].text};
    (void)!::write(channel[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string said(512, '\0');
  const ssize_t got{::read(channel[0], said.data(), said.size())};
  said.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(said, "Can't save to :" + path.string() + "\nFile too large");
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(test::NamesIn(dir.Path()), std::vector<std::string>{"kept.vsf"});
}

// The file holds the passwords: nobody else may read it, whatever the umask or the old mode.
TEST(WriteSetupFileTest, SavedFileIsPrivateAndReplacesALinkNotItsTarget) {
  TempDir dir;
  const mode_t previousMask{::umask(0)};
  const std::pair<int, mode_t> cases[] = {{-1, 0600}, {0644, 0600}, {0660, 0600}, {0200, 0200}};
  for (const auto& [before, after] : cases) {
    const std::filesystem::path path{dir / ("mode" + std::to_string(before) + ".vsf")};
    if (before >= 0) {
      WriteFileBytes(path, "old");
      ::chmod(path.c_str(), static_cast<mode_t>(before));
    }
    test::ScriptedInteraction ui;
    EXPECT_TRUE(WriteSetupFile(path, test::SampleSettings(), ui)) << before;
    EXPECT_EQ(test::ModeOf(path), after) << before;
  }
  ::umask(previousMask);

  WriteFileBytes(dir / "target.vsf", "target");
  std::filesystem::create_symlink(dir / "target.vsf", dir / "link.vsf");
  test::ScriptedInteraction ui;
  ASSERT_TRUE(WriteSetupFile(dir / "link.vsf", test::SampleSettings(), ui));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "link.vsf"));
  EXPECT_EQ(ReadFileBytes(dir / "link.vsf"), SetupFileText(test::SampleSettings()));
  EXPECT_EQ(ReadFileBytes(dir / "target.vsf"), "target");
}

}  // namespace
}  // namespace vellumor::settings
