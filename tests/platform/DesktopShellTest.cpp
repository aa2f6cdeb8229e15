// Handing documents to the desktop with real programs: an opener that exits with a failure is
// told apart from one that succeeds or keeps running.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Shell.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using namespace std::chrono_literals;

class DesktopShellTest : public ::testing::Test {
 protected:
  DesktopShellTest() { path_.Set(bin.Path().string()); }

  void Program(const std::string& name, const std::string& body) const {
    const std::filesystem::path file = bin / name;
    test::WriteFileBytes(file, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
  }

  test::TempDir bin;
  std::unique_ptr<Shell> shell{MakeDesktopShell()};

 private:
  test::ScopedVariable path_{"PATH"};
};

TEST_F(DesktopShellTest, AnOpenerThatFailsIsNotTakenForOpened) {
  // Each opener here ends at once; the long patience is never used up.
  const OpenerWatch watch{60s, {}};
  EXPECT_FALSE(shell->OpenDocumentWatched("https://vellumor.example/", watch)) << "no xdg-open at all";
  Program("xdg-open", "exit 4");  // xdg-open's "no handler"
  EXPECT_FALSE(shell->OpenDocumentWatched("https://vellumor.example/", watch));
  EXPECT_TRUE(shell->OpenDocument("https://vellumor.example/")) << "unwatched, starting is all";
  Program("xdg-open", "[ \"$1\" = https://vellumor.example/ ]");
  EXPECT_TRUE(shell->OpenDocumentWatched("https://vellumor.example/", watch));

  Program("viewer", "exit 1");
  EXPECT_FALSE(shell->OpenWithWatched((bin / "viewer").string(), "/tmp/a b.pdf", watch));
  EXPECT_FALSE(shell->OpenWithWatched((bin / "missing").string(), "/tmp/a b.pdf", watch));
  Program("viewer", "[ \"$1\" = '/tmp/a b.pdf' ]");
  EXPECT_TRUE(shell->OpenWithWatched((bin / "viewer").string(), "/tmp/a b.pdf", watch));
}

TEST_F(DesktopShellTest, AnOpenerStillRunningIsShowingTheDocument) {
  // The opener runs until the test lets it go, as a browser started in the foreground does.
  const std::filesystem::path release = bin / "release";
  ASSERT_EQ(::mkfifo(release.c_str(), 0600), 0);
  const int holder = ::open(release.c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  Program("xdg-open", "read line < '" + release.string() + "'; exit 4");
  int served = 0;
  EXPECT_TRUE(shell->OpenDocumentWatched("https://vellumor.example/", {100ms, [&served] { ++served; }}));
  EXPECT_GT(served, 0) << "the caller's windows are served while it waits";
  EXPECT_EQ(::write(holder, "\n", 1), 1);
  ::close(holder);
}

}  // namespace
}  // namespace vellumor::platform
