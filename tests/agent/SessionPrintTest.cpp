// The whole system on a desktop: a scheduler of the test's own with the printer installed, a
// user whose graphical session is an X display of the test's own with the session agent running
// in it. Printing opens the program's window on that display, where the user makes the PDF;
// without an agent, or for another user, jobs run unattended as on a server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "agent/support/AgentProcess.h"
#include "printer/support/PrinterWorld.h"
#include "support/DesktopSession.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Pair;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kMainCaption = "^Vellumor v1\\.06 ";
constexpr const char* kSaveCaption = "^Select a PDF filename to save to$";

class SessionPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("xdotool")) {
      GTEST_SKIP() << "xdotool is not installed";
    }
    std::string error;
    bool unavailable = false;
    world_ = PrinterWorld::Make(true, error, unavailable);
    if (unavailable) {
      GTEST_SKIP() << error;
    }
    ASSERT_NE(world_, nullptr) << error;
    display_ = XvfbServer::Start(error);
    if (!display_) {
      GTEST_SKIP() << "no X server for the test: " << error;
    }
    PrepareManualSaving(*world_->user);
    agent_ = StartAgent(*world_->user);
  }

  static void PrepareManualSaving(const TestUser& user) {
    user.SetSetting("SaveAs", "Ask when creating PDF (manual)");
    user.SetSetting("AfterCreation", "Do nothing");
    // No update check: it would reach for the network and open its own window.
    user.SetSetting("AdvCheckUpdate", "Never");
    user.SetSetting("AdvLastUpdateCheck", "0");
  }
  std::unique_ptr<AgentProcess> StartAgent(const TestUser& user) {
    AgentSetup setup;
    setup.program = world_->program;
    setup.runtime = world_->cups->RuntimeRoot() / std::to_string(user.Uid());
    setup.environment = {{"HOME", user.Home().string()},   {"USER", user.Name()},      {"LOGNAME", user.Name()},
                         {"DISPLAY", display_->Display()}, {"QT_QPA_PLATFORM", "xcb"}, {"LANG", "C.UTF-8"}};
    setup.user = user.Uid();
    setup.group = user.Gid();
    std::string error;
    std::unique_ptr<AgentProcess> agent = AgentProcess::StartListening(setup, error);
    EXPECT_NE(agent, nullptr) << error;
    return agent;
  }
  // Prints `file` as `user`; the job's id.
  std::string Print(const TestUser& user, const fs::path& file, const std::string& queue = "Vellumor") const {
    const ProcessResult queued = user.Run({"lp", "-d", queue, file.string()}, world_->cups->Options());
    EXPECT_EQ(queued.exitCode, 0) << queued.err;
    std::smatch id;
    return std::regex_search(queued.out, id, std::regex{queue + "-[0-9]+"}) ? id.str() : "";
  }
  std::vector<unsigned long> Windows(const std::string& caption) const {
    ProcessOptions options;
    options.setEnvironment = {{"DISPLAY", display_->Display()}};
    std::istringstream found{RunProcess({"xdotool", "search", "--onlyvisible", "--name", caption}, options).out};
    std::vector<unsigned long> windows;
    for (unsigned long window = 0; found >> window;) {
      windows.push_back(window);
    }
    return windows;
  }
  // Waits until `count` windows of that caption are shown.
  std::vector<unsigned long> AwaitWindows(const std::string& caption, std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    std::vector<unsigned long> windows = Windows(caption);
    while (windows.size() != count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
      windows = Windows(caption);
    }
    return windows;
  }
  // Gives `window` the keyboard and types, as the user would.
  void Keys(unsigned long window, const std::vector<std::string>& keys) const {
    ProcessOptions options;
    options.setEnvironment = {{"DISPLAY", display_->Display()}};
    std::vector<std::string> command{"xdotool", "windowfocus", "--sync", std::to_string(window)};
    command.insert(command.end(), keys.begin(), keys.end());
    const ProcessResult typed = RunProcess(command, options);
    EXPECT_EQ(typed.exitCode, 0) << typed.err;
  }
  bool AwaitPdf(const std::string& name) const {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!world_->Pdfs().contains(name) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
    }
    return world_->Pdfs().contains(name);
  }
  std::vector<fs::path> LeftInTemporaryFolder(const TestUser& user) const {
    std::vector<fs::path> left;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator{"/tmp/vellumor-" + std::to_string(user.Uid()), missing}) {
      left.push_back(entry.path());
    }
    return left;
  }

  std::unique_ptr<PrinterWorld> world_;
  std::unique_ptr<XvfbServer> display_;
  std::unique_ptr<AgentProcess> agent_;
};

TEST_F(SessionPrintTest, EachPrintedJobOpensItsWindowOnTheUsersScreen) {
  // A queue converts one job at a time; a second queue on the same port lets two jobs run at once.
  ASSERT_EQ(world_->cups
                ->Run({"lpadmin", "-p", "Vellumor2", "-E", "-v", "vellumor:/", "-m", "drv:///sample.drv/generic.ppd",
                       "-o", "printer-error-policy=abort-job"})
                .exitCode,
            0);
  Print(*world_->user, world_->TextFile("letter.txt", 2));
  Print(*world_->user, world_->TextFile("memo.txt", 1), "Vellumor2");
  const std::vector<unsigned long> windows = AwaitWindows(kMainCaption, 2);
  ASSERT_EQ(windows.size(), 2U) << world_->cups->LogTail() << agent_->ErrorOutput();

  const std::string folder = world_->user->PdfFolder().string() + "/";
  for (const unsigned long window : windows) {
    const std::size_t before = world_->Pdfs().size();
    Keys(window, {"key", "--clearmodifiers", "alt+c"});  // "&Create PDF"
    const std::vector<unsigned long> dialog = AwaitWindows(kSaveCaption, 1);
    ASSERT_EQ(dialog.size(), 1U) << "the save dialog asks for the name";
    // The dialog offers the job's own name; the user puts the folder in front of it.
    Keys(dialog[0], {"key", "Home", "type", "--delay", "20", folder});
    Keys(dialog[0], {"key", "Return"});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (world_->Pdfs().size() == before && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
    }
    ASSERT_TRUE(RequestClose(display_->Display(), window));  // the window stays until the user closes it
  }
  ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail();
  EXPECT_EQ(world_->cups->Jobs("Vellumor", true).size() + world_->cups->Jobs("Vellumor2", true).size(), 2U);
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("letter.pdf", 2), Pair("memo.pdf", 1))) << world_->cups->LogTail();
  EXPECT_EQ(world_->cups->Log().find("no PDF was written"), std::string::npos) << world_->cups->LogTail();
}

TEST_F(SessionPrintTest, WithoutTheUsersOwnAgentJobsRunUnattended) {
  // A second user, whose runtime folder even leads to the first user's (a folder it cannot enter).
  std::string error;
  const std::unique_ptr<TestUser> other = TestUser::Create(world_->cups->Folder() / "home", error, "b");
  ASSERT_NE(other, nullptr) << error;
  PrepareManualSaving(*other);
  fs::create_directory_symlink(world_->cups->RuntimeRoot() / std::to_string(world_->user->Uid()),
                               world_->cups->RuntimeRoot() / std::to_string(other->Uid()));
  const fs::path text = world_->cups->Folder() / "home" / "shared.txt";
  WriteFileBytes(text, "One page\n");
  fs::permissions(text, fs::perms::others_read, fs::perm_options::add);
  Print(*other, text);
  ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail();
  EXPECT_THAT(Windows(kMainCaption), IsEmpty()) << "the job never reached the first user's session";
  EXPECT_THAT(world_->cups->Log(), HasSubstr("which needs a display; no PDF was written"));

  // In an automatic mode the other user's job gives its PDF as on a server.
  other->SetSetting("SaveAs", "Use source filename, save to a specific folder (automatic)");
  Print(*other, text);
  ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail();
  EXPECT_TRUE(fs::exists(other->PdfFolder() / "shared.pdf")) << world_->cups->LogTail();

  // The first user's session ends: a job in a manual mode fails and says why, no window opens.
  agent_.reset();
  Print(*world_->user, world_->TextFile("late.txt", 1));
  ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail();
  EXPECT_THAT(Windows(kMainCaption), IsEmpty());
  EXPECT_THAT(world_->Pdfs(), IsEmpty());
  EXPECT_EQ(world_->cups->Jobs("Vellumor", true).size(), 3U);
}

TEST_F(SessionPrintTest, CancellingTheJobClosesItsWindowAndLeavesNothingBehind) {
  const std::string job = Print(*world_->user, world_->TextFile("draft.txt", 1));
  ASSERT_EQ(AwaitWindows(kMainCaption, 1).size(), 1U) << world_->cups->LogTail() << agent_->ErrorOutput();
  const ProcessResult cancelled = world_->user->Run({"cancel", job}, world_->cups->Options());
  ASSERT_EQ(cancelled.exitCode, 0) << cancelled.err;
  EXPECT_THAT(AwaitWindows(kMainCaption, 0), IsEmpty()) << "the window closes";
  ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail();
  EXPECT_THAT(world_->Pdfs(), IsEmpty());
  EXPECT_THAT(LeftInTemporaryFolder(*world_->user), IsEmpty()) << "the job file is deleted";
  EXPECT_THAT(world_->cups->Run({"lpstat", "-W", "completed", "-l", "-o", "Vellumor"}).out, HasSubstr("canceled"));
}

}  // namespace
}  // namespace vellumor::test
