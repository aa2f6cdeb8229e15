#include "platform/TempFolder.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>

#include "platform/UnprivilegedRun.h"
#include "support/FileModes.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using test::ModeOf;

TEST(TempFolderTest, PrivateFolderIsCreatedForTheUserOnly) {
  test::TempDir temp;
  std::string error;
  const std::optional<TempFolder> folder = TempFolder::Private(temp / "vellumor-1000", error);
  ASSERT_TRUE(folder.has_value()) << error;
  EXPECT_EQ(folder->Path(), temp / "vellumor-1000");
  EXPECT_EQ(ModeOf(folder->Path()), 0700U);
  // Opening it again finds it as it is.
  EXPECT_TRUE(TempFolder::Private(temp / "vellumor-1000", error).has_value()) << error;
}

TEST(TempFolderTest, PrivateFolderRefusesWhatOthersCouldTamperWith) {
  test::TempDir temp;
  const std::filesystem::path good = temp / "good";
  std::filesystem::create_directory(good);
  std::filesystem::permissions(good, std::filesystem::perms{0700});
  std::filesystem::create_directory_symlink(good, temp / "link");
  test::WriteFileBytes(temp / "file", "x");
  for (const mode_t mode : {0750, 0705, 0701}) {
    const std::filesystem::path open = temp / ("open" + std::to_string(mode));
    std::filesystem::create_directory(open);
    std::filesystem::permissions(open, std::filesystem::perms{mode});
  }
  const std::filesystem::path foreign = temp / "foreign";
  std::filesystem::create_directory(foreign);
  std::filesystem::permissions(foreign, std::filesystem::perms{0700});
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});

  const auto check = [&](const std::filesystem::path& path, const char* expectedWords) -> std::string {
    std::string error;
    if (TempFolder::Private(path, error).has_value()) {
      return path.string() + " was accepted; ";
    }
    if (error.find(path.string()) == std::string::npos || error.find(expectedWords) == std::string::npos) {
      return "unclear refusal: " + error + "; ";
    }
    return "";
  };
  EXPECT_EQ(check(temp / "link", "symbolic link"), "");
  EXPECT_EQ(check(temp / "file", "not a folder"), "");
  for (const char* name : {"open488", "open453", "open449"}) {
    EXPECT_EQ(check(temp / name, "other users"), "");
  }
  // Another user's folder: as root, the check runs as "nobody" against root's folder; any other
  // user finds "/" owned by root.
  const std::filesystem::path notMine = ::geteuid() == 0 ? foreign : std::filesystem::path{"/"};
  EXPECT_EQ(test::RunUnprivileged([&] { return check(notMine, "another user"); }), "");
  // The symbolic link target itself is fine.
  std::string error;
  EXPECT_TRUE(TempFolder::Private(good, error).has_value()) << error;
}

// A folder like /tmp inside `temp`, where "nobody" can reach; the default folder name of
// "nobody" in it.
std::filesystem::path NobodysDefaultFolder(const test::TempDir& temp) {
  std::filesystem::permissions(temp.Path(), std::filesystem::perms{0755});
  std::filesystem::create_directory(temp / "shared");
  std::filesystem::permissions(temp / "shared", std::filesystem::perms{01777});
  return temp / "shared" / "vellumor-65534";
}

// The folder Open chose ("<error>" when none) and its notices, one per line.
std::string Opened(const std::filesystem::path& defaultFolder) {
  std::string error;
  std::vector<std::string> notices;
  const std::optional<TempFolder> folder = TempFolder::Open(defaultFolder, error, notices);
  std::string text = folder ? folder->Path().string() : "<" + error + ">";
  for (const std::string& notice : notices) {
    text += "\n" + notice;
  }
  return text;
}

TEST(TempFolderTest, TmpdirIsUsedOnlyWhenPrivate) {
  test::TempDir temp;
  test::ScopedVariable tmpdir{"TMPDIR"};
  const std::filesystem::path good = temp / "good";
  std::filesystem::create_directory(good);
  std::filesystem::permissions(good, std::filesystem::perms{0700});
  std::filesystem::create_directory_symlink(good, temp / "link");
  test::WriteFileBytes(temp / "file", "x");
  for (const mode_t mode : {0755, 0770, 01777}) {
    std::filesystem::create_directory(temp / ("open" + std::to_string(mode)));
    std::filesystem::permissions(temp / ("open" + std::to_string(mode)), std::filesystem::perms{mode});
  }
  const std::filesystem::path fallback = temp / "vellumor-1000";
  // The fallback, then the notice of a refused TMPDIR.
  const auto refused = [&](const std::filesystem::path& folder, const std::string& problem) {
    return fallback.string() + "\nThe temporary folder " + folder.string() + " from TMPDIR " + problem + "; using " +
           fallback.string() + " instead.";
  };
  const struct {
    std::string tmpdir;
    std::string expected;
  } cases[] = {
      {good.string(), good.string()},
      {good.string() + "//", good.string()},
      {(temp / "link").string(), refused(temp / "link", "is a symbolic link")},
      // A trailing "/" makes the system follow the link; the check still sees it.
      {(temp / "link/").string(), refused(temp / "link", "is a symbolic link")},
      {(temp / "file").string(), refused(temp / "file", "is not a folder")},
      {(temp / "open493").string(), refused(temp / "open493", "can be accessed by other users")},
      {(temp / "open504").string(), refused(temp / "open504", "can be accessed by other users")},
      {(temp / "open1023").string(), refused(temp / "open1023", "can be accessed by other users")},
      {(temp / "missing").string(), refused(temp / "missing", "cannot be used: No such file or directory")},
      {"tmp", refused("tmp", "is not an absolute path")},
      {"", fallback.string()},
  };
  for (const auto& [value, expected] : cases) {
    tmpdir.Set(value);
    EXPECT_EQ(Opened(fallback), expected) << "TMPDIR=" << value;
  }
  tmpdir.Set(std::nullopt);
  EXPECT_EQ(Opened(fallback), fallback.string());
  EXPECT_EQ(ModeOf(fallback), 0700U);

  // Another user's folder, seen by that user: as root, "nobody" looks at root's private folder.
  if (::geteuid() == 0) {
    const std::filesystem::path nobodys = NobodysDefaultFolder(temp);
    tmpdir.Set(good.string());
    EXPECT_EQ(test::RunUnprivileged([&] { return Opened(nobodys); }),
              nobodys.string() + "\nThe temporary folder " + good.string() +
                  " from TMPDIR belongs to another user; using " + nobodys.string() + " instead.");
  }
}

TEST(TempFolderTest, ATakenDefaultGivesAFolderOfThisRunAlone) {
  test::TempDir temp;
  test::ScopedVariable tmpdir{"TMPDIR"};
  tmpdir.Set(std::nullopt);
  std::filesystem::create_directory(temp / "target");
  std::filesystem::permissions(temp / "target", std::filesystem::perms{0700});
  std::filesystem::create_directory_symlink(temp / "target", temp / "link");
  test::WriteFileBytes(temp / "file", "x");
  std::filesystem::create_directory(temp / "open");
  std::filesystem::permissions(temp / "open", std::filesystem::perms{0755});

  const std::regex fresh{"(.*)-[A-Za-z0-9]{6}"};
  for (const auto& [name, problem] : {std::pair{"link", "is a symbolic link"}, std::pair{"file", "is not a folder"},
                                      std::pair{"open", "can be accessed by other users"}}) {
    const std::filesystem::path taken = temp / name;
    std::string error;
    std::vector<std::string> notices;
    std::optional<TempFolder> folder = TempFolder::Open(taken, error, notices);
    ASSERT_TRUE(folder.has_value()) << error;
    const std::filesystem::path made = folder->Path();
    std::smatch match;
    const std::string madeText = made.string();
    ASSERT_TRUE(std::regex_match(madeText, match, fresh) && match[1] == taken.string()) << made;
    EXPECT_EQ(ModeOf(made), 0700U);
    EXPECT_THAT(notices, ::testing::ElementsAre("The temporary folder " + taken.string() + " " + problem + "; using " +
                                                made.string() + " instead."));

    // Moving the folder on hands over its removal; the last owner removes it with what it holds.
    test::WriteFileBytes(made / "vlm1.tmp.ps", "job");
    std::optional<TempFolder> owner = std::move(folder);
    folder.reset();
    EXPECT_TRUE(std::filesystem::exists(made / "vlm1.tmp.ps"));
    owner.reset();
    EXPECT_FALSE(std::filesystem::exists(made)) << made;
  }
  EXPECT_TRUE(std::filesystem::is_directory(temp / "target"));
  EXPECT_EQ(test::ReadFileBytes(temp / "file"), "x");

  // Another user's folder at the default name: as root, "nobody" finds root's folder there.
  if (::geteuid() == 0) {
    const std::filesystem::path nobodys = NobodysDefaultFolder(temp);
    std::filesystem::create_directory(nobodys);
    std::filesystem::permissions(nobodys, std::filesystem::perms{0700});
    const std::string seen = test::RunUnprivileged([&] {
      const std::string text = Opened(nobodys);
      return std::regex_match(text, std::regex{".*/vellumor-65534-[A-Za-z0-9]{6}\n.*belongs to another user; using .*"})
                 ? ""
                 : text;
    });
    EXPECT_EQ(seen, "");
  }

  // Nowhere to make a folder at all.
  const std::string none = Opened(temp / "missing/vellumor-1000");
  EXPECT_THAT(none, ::testing::StartsWith("<The temporary folder " + (temp / "missing/vellumor-1000").string() +
                                          " cannot be created: No such file or directory, and no other folder"));
}

TEST(TempFolderTest, ReservationsAreUniqueAcrossProcesses) {
  test::TempDir temp;
  std::string error;
  const std::optional<TempFolder> folder = TempFolder::At(temp.Path(), error);
  ASSERT_TRUE(folder.has_value()) << error;

  constexpr int kProcesses = 4;
  constexpr int kEach = 150;
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(channel[0]);
      for (int i = 0; i < kEach; ++i) {
        const std::optional<std::filesystem::path> name = folder->Reserve("vlm");
        const std::string line = (name ? name->filename().string() : std::string{"<none>"}) + "\n";
        if (::write(channel[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
          ::_exit(1);
        }
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  ::close(channel[1]);
  std::string lines;
  char buffer[4096];
  ssize_t count{0};
  while ((count = ::read(channel[0], buffer, sizeof buffer)) > 0) {
    lines.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(channel[0]);
  for (const pid_t child : children) {
    int status{0};
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const std::regex pattern{"vlm[0-9A-F]{1,4}\\.tmp"};
  std::set<std::string> names;
  std::size_t start{0};
  for (std::size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string name = lines.substr(start, end - start);
    EXPECT_TRUE(std::regex_match(name, pattern)) << name;
    EXPECT_TRUE(names.insert(name).second) << name << " was handed out twice";
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kProcesses * kEach));
  for (const std::string& name : names) {
    const std::filesystem::path path = temp / name;
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << name;
    EXPECT_EQ(std::filesystem::file_size(path), 0U);
    EXPECT_EQ(ModeOf(path), 0600U);
  }
}

TEST(TempFolderTest, ReserveGivesUpInsteadOfLooping) {
  test::TempDir temp;
  std::string error;
  std::optional<TempFolder> folder = TempFolder::At(temp / "gone", error);
  EXPECT_FALSE(folder.has_value());
  std::filesystem::create_directory(temp / "gone");
  folder = TempFolder::At(temp / "gone", error);
  ASSERT_TRUE(folder.has_value()) << error;
  std::filesystem::remove(temp / "gone");
  EXPECT_EQ(folder->Reserve("vlm"), std::nullopt);

  // Every one of the 65535 names taken: the search ends without a name. One freed name is found
  // wherever the search started.
  std::filesystem::create_directory(temp / "full");
  folder = TempFolder::At(temp / "full", error);
  ASSERT_TRUE(folder.has_value()) << error;
  char name[16];
  for (unsigned number = 1; number <= 0xFFFF; ++number) {
    std::snprintf(name, sizeof name, "f%X.tmp", number);
    const int fd = ::open((temp / "full" / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0) << name;
    ::close(fd);
  }
  EXPECT_EQ(folder->Reserve("f"), std::nullopt);
  std::filesystem::remove(temp / "full" / "fFFFF.tmp");
  EXPECT_EQ(folder->Reserve("f"), temp / "full" / "fFFFF.tmp");
}

}  // namespace
}  // namespace vellumor::platform
