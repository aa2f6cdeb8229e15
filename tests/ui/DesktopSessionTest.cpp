// The whole program on an X display of its own (Xvfb), as a user or a printer port starts it:
// the windows module is loaded, the main window opens or the automatic conversion runs, and
// closing the window ends the process.

#include <gtest/gtest.h>

#include "support/DesktopSession.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kMainCaption = "^Vellumor v1\\.06 ";

class DesktopSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("xdotool")) {
      GTEST_SKIP() << "xdotool is not installed";
    }
    std::string why;
    server = XvfbServer::Start(why);
    if (!server) {
      GTEST_SKIP() << "no X server for the test: " << why;
    }
    // No update check: it would reach for the network and open its own window.
    sandbox.SetSetting("AdvCheckUpdate", "Never");
    sandbox.SetSetting("AdvLastUpdateCheck", "0");
  }

  std::unique_ptr<RunningProgram> Launch(const std::optional<std::filesystem::path>& job) {
    ProcessOptions options = sandbox.Options();
    options.setEnvironment["DISPLAY"] = server->Display();
    options.setEnvironment["QT_QPA_PLATFORM"] = "xcb";  // the tests themselves run offscreen
    options.stdinFile = job;
    return std::make_unique<RunningProgram>(std::vector<std::string>{VELLUMOR_BINARY}, options, sandbox / "");
  }

  Sandbox sandbox;
  std::unique_ptr<XvfbServer> server;
};

TEST_F(DesktopSessionTest, WithoutAJobTheSettingsWindowOpensAndClosingItStoresTheSettings) {
  ASSERT_EQ(sandbox.StoredSetting("Quality"), "");
  std::unique_ptr<RunningProgram> program = Launch(std::nullopt);
  ASSERT_TRUE(program->Started());
  const std::optional<unsigned long> window = FindWindow(server->Display(), kMainCaption, 20s);
  ASSERT_TRUE(window.has_value()) << program->ErrorOutput();
  EXPECT_FALSE(program->WaitForExit(300ms).has_value()) << "the window waits for the user";

  ASSERT_TRUE(RequestClose(server->Display(), *window));
  const std::optional<int> status = program->WaitForExit(20s);
  ASSERT_TRUE(status.has_value()) << "closing the window ends the program";
  EXPECT_EQ(*status, 0) << program->ErrorOutput();
  EXPECT_EQ(sandbox.StoredSetting("Quality"), "Large files, high quality for printing.");
  EXPECT_EQ(sandbox.StoredSetting("SaveAs"), "Save to users Desktop (automatic)");
}

TEST_F(DesktopSessionTest, AJobInAManualModeWaitsForTheUser) {
  sandbox.SetSetting("SaveAs", "Ask when creating PDF (manual)");
  const std::filesystem::path job = MakeTextJob(sandbox / "", "job.ps", 2, "Manual Report");
  std::unique_ptr<RunningProgram> program = Launch(job);
  const std::optional<unsigned long> window = FindWindow(server->Display(), kMainCaption, 20s);
  ASSERT_TRUE(window.has_value()) << program->ErrorOutput();
  EXPECT_FALSE(program->WaitForExit(500ms).has_value());
  EXPECT_TRUE(Sandbox::FilesIn(sandbox.Desktop(), ".pdf").empty());

  ASSERT_TRUE(RequestClose(server->Display(), *window));
  ASSERT_EQ(program->WaitForExit(20s), std::optional<int>{0}) << program->ErrorOutput();
  EXPECT_TRUE(Sandbox::FilesIn(sandbox.Temp(), ".ps").empty()) << "the job is deleted";
}

TEST_F(DesktopSessionTest, AJobInAnAutomaticModeConvertsAndEnds) {
  sandbox.SetSetting("AfterCreation", "Do nothing");
  const std::filesystem::path job = MakeTextJob(sandbox / "", "job.ps", 3, "Automatic Report");
  std::unique_ptr<RunningProgram> program = Launch(job);
  const std::optional<int> status = program->WaitForExit(60s);
  ASSERT_TRUE(status.has_value()) << "nothing to wait for";
  EXPECT_EQ(*status, 0) << program->ErrorOutput();
  const std::vector<std::filesystem::path> pdfs = Sandbox::FilesIn(sandbox.Desktop(), ".pdf");
  ASSERT_EQ(pdfs.size(), 1U);
  EXPECT_EQ(pdfs[0].filename(), "Automatic Report.pdf");
  EXPECT_TRUE(Sandbox::FilesIn(sandbox.Temp(), ".ps").empty());
  EXPECT_EQ(sandbox.StoredSetting("Quality"), "") << "an automatic run does not store the settings";
}

}  // namespace
}  // namespace vellumor::test
