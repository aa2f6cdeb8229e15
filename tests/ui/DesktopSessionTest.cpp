// The whole program on an X display of its own (Xvfb), as a user or a printer port starts it:
// the windows module is loaded, the main window opens or the automatic conversion runs, closing
// the window ends the process, and so does a cancel, whatever the windows or the engine are at.

#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "support/DesktopSession.h"
#include "support/PipelineFixture.h"
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

// A job that keeps the engine busy without a word: the windows are served all the while, and a
// cancel still ends the program at once, with the old PDF as it was and nothing of the run left.
TEST_F(DesktopSessionTest, ALoopingJobNeitherFreezesTheWindowsNorOutlivesACancel) {
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  sandbox.SetSetting("AdvAppend", "Append to existing");
  sandbox.SetSetting("AfterCreation", "Do nothing");
  ASSERT_EQ(sandbox.RunWithInput(PagesJob(1, "Old", "Journal")).exitCode, 0);
  const std::filesystem::path pdf = sandbox.Desktop() / "Journal.pdf";
  const std::string before = ReadFileBytes(pdf);
  // Two lines of output open the progress window and fill it; then the engine loops in silence.
  WriteFileBytes(sandbox / "loop.ps",
                 "%!PS\n%%Title: Journal\n(Page: 1\\n) print flush (Page: 2\\n) print flush { } loop\n");
  std::unique_ptr<RunningProgram> program = Launch(sandbox / "loop.ps");
  const std::optional<unsigned long> progress = FindWindow(server->Display(), "^PDF file creation progress$", 60s);
  ASSERT_TRUE(progress.has_value()) << program->ErrorOutput();
  for (int ping = 0; ping < 5; ++ping) {
    EXPECT_TRUE(AnswersPing(server->Display(), *progress, 5s)) << "the windows froze, ping " << ping;
    std::this_thread::sleep_for(200ms);
  }

  ASSERT_TRUE(program->Signal(SIGTERM));
  const auto sent = std::chrono::steady_clock::now();
  const std::optional<int> status = program->WaitForExit(10s);
  const auto took = std::chrono::steady_clock::now() - sent;
  ASSERT_TRUE(status.has_value()) << "the cancel did not end the program";
  EXPECT_LT(took, 2s);
  EXPECT_EQ(*status, 1) << program->ErrorOutput();
  EXPECT_NE(program->ErrorOutput().find("vellumor: cancelled (SIGTERM)\n"), std::string::npos)
      << program->ErrorOutput();
  EXPECT_TRUE(ReadFileBytes(pdf) == before) << "the old PDF changed";
  EXPECT_EQ(NamesIn(sandbox.Desktop()), std::vector<std::string>{"Journal.pdf"});
  for (const std::string& name : NamesIn(sandbox.Temp())) {
    EXPECT_FALSE(name.starts_with("vlm") || name.starts_with("turn-")) << name << " left behind";
  }
  EXPECT_EQ(sandbox.Processes(), std::vector<int>{});
}

}  // namespace
}  // namespace vellumor::test
