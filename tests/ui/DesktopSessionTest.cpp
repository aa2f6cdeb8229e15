// The whole program on an X display of its own (Xvfb), as a user or a printer port starts it:
// the windows module is loaded, the main window opens or the automatic conversion runs, and
// closing the window ends the process.

#include <gtest/gtest.h>
#include <signal.h>

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

// The print system cancels a job with SIGTERM also while a window waits for the user: the
// window closes, the job's files go, and the program ends with one line saying why.
TEST_F(DesktopSessionTest, ACancelWhileAWindowWaitsEndsTheProgramCleanly) {
  struct Case {
    const char* saveAs;
    const char* window;
    int status;  // the completion window waits after the PDF was written, which stays
    std::size_t pdfs;
  };
  const Case cases[] = {{"Ask when creating PDF (manual)", kMainCaption, 1, 0},
                        {"Save to users Desktop (automatic)", "^Vellumor - PDF Output$", 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saveAs);
    sandbox.SetSetting("SaveAs", c.saveAs);
    sandbox.SetSetting("AfterCreation", "Display completed");
    const std::filesystem::path job = MakeTextJob(sandbox / "", "job.ps", 2, "Waiting");
    std::unique_ptr<RunningProgram> program = Launch(job);
    ASSERT_TRUE(FindWindow(server->Display(), c.window, 20s).has_value()) << program->ErrorOutput();

    ASSERT_TRUE(program->Signal(SIGTERM));
    const std::optional<int> status = program->WaitForExit(20s);
    ASSERT_TRUE(status.has_value()) << "the window still waits";
    EXPECT_EQ(*status, c.status) << program->ErrorOutput();
    EXPECT_NE(program->ErrorOutput().find("\nvellumor: cancelled (SIGTERM)\n"), std::string::npos)
        << program->ErrorOutput();
    EXPECT_EQ(Sandbox::FilesIn(sandbox.Desktop(), ".pdf").size(), c.pdfs);
    for (const auto& entry : std::filesystem::directory_iterator(sandbox.Temp())) {
      EXPECT_FALSE(entry.path().filename().string().starts_with("vlm")) << entry.path() << " left behind";
    }
    EXPECT_EQ(sandbox.StoredSetting("Quality"), "") << "a cancel stores no settings";
    std::filesystem::remove(sandbox.Desktop() / "Waiting.pdf");
  }
}

}  // namespace
}  // namespace vellumor::test
