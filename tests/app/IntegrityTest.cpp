// The built program at the edges where a PDF could be lost or a broken one reported as
// written: a full disk, another user holding a lock, and a job stopped by a signal or killed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>

#include "platform/UnprivilegedRun.h"
#include "support/LockHolder.h"
#include "support/PdfFacts.h"
#include "support/PipelineFixture.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Waits for an event of `watch` on a name that ends with `suffix` ("" for the watched file itself).
bool WaitForEvent(int watch, std::string_view suffix) {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    pollfd ready{watch, POLLIN, 0};
    // Only a guard against a program that died early; the normal path never waits this long.
    if (::poll(&ready, 1, 60'000) <= 0) {
      return false;
    }
    const ssize_t got = ::read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string_view name = event->len > 0 ? std::string_view{event->name} : std::string_view{};
      if (suffix.empty() ? event->len == 0 : name.ends_with(suffix)) {
        return true;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

class IntegrityTest : public ::testing::Test {
 protected:
  std::filesystem::path Pdf() const { return sandbox.Desktop() / "Journal.pdf"; }

  Sandbox sandbox;
};

// Ghostscript reports a full disk ("ioerror on closing pdfwrite device") but returns success.
TEST_F(IntegrityTest, AFullDiskIsAFailureAndKeepsTheOldPdf) {
  struct Case {
    const char* name;
    bool existing;
    bool append;
  };
  const Case cases[] = {{"new PDF", false, false}, {"overwrite", true, false}, {"append", true, true}};
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  const std::string bigJob = PagesJob(40, "Page", "Journal");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Pdf());
    sandbox.SetSetting("AdvAppend", "");
    std::string before;
    if (c.existing) {
      ASSERT_EQ(sandbox.RunWithInput(PagesJob(1, "Old", "Journal")).exitCode, 0);
      before = ReadFileBytes(Pdf());
    }
    sandbox.SetSetting("AdvAppend", c.append ? "Append to existing" : "");
    // Files may grow to 8 KiB: the job fits, its PDF does not.
    ProcessOptions options = sandbox.Options();
    options.stdinText = bigJob;
    const ProcessResult run =
        RunProcess({"sh", "-c", "trap '' XFSZ; ulimit -f 16; exec \"$0\"", VELLUMOR_BINARY}, options);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_THAT(run.err, HasSubstr("Error!, the PDF could not be created"));
    EXPECT_EQ(run.out, "");
    if (c.existing) {
      EXPECT_TRUE(ReadFileBytes(Pdf()) == before) << "the old PDF was replaced";
      EXPECT_THAT(NamesIn(sandbox.Desktop()), ElementsAre("Journal.pdf"));
    } else {
      EXPECT_THAT(NamesIn(sandbox.Desktop()), IsEmpty());
    }
    EXPECT_THAT(NamesIn(sandbox.Temp()), IsEmpty());
  }
}

// Anyone who may read a folder or a file may lock it; the only lock a job waits for is one only
// the PDF's writers can take, and while it waits a cancellation still ends it.
TEST_F(IntegrityTest, LocksOfOthersHoldNoJobUp) {
  sandbox.SetSetting("AdvAppend", "Append to existing");
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  ASSERT_EQ(sandbox.RunWithInput(PagesJob(1, "Monday", "Journal")).exitCode, 0);
  std::filesystem::permissions(sandbox / "", std::filesystem::perms{0755});
  std::filesystem::permissions(sandbox.Home(), std::filesystem::perms{0755});
  std::filesystem::permissions(Pdf(), std::filesystem::perms{0644});
  {
    LockHolder reader({{LockHolder::Kind::Folder, sandbox.Desktop()}, {LockHolder::Kind::Reading, Pdf()}}, kNobodyId);
    ASSERT_TRUE(reader.Holding());
    const ProcessResult run = sandbox.RunWithInput(PagesJob(1, "Tuesday", "Journal"));
    EXPECT_TRUE(reader.StillThere()) << "the job waited for the other user's lock";
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(InspectPdf(Pdf()).pages, 2);
    EXPECT_THAT(PdfText(Pdf()), HasSubstr("Tuesday 1"));
  }

  // Another job's lock, waited for until a cancellation comes.
  const std::string before = ReadFileBytes(Pdf());
  LockHolder writer({{LockHolder::Kind::Writing, Pdf()}}, 0);
  ASSERT_TRUE(writer.Holding());
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(::inotify_add_watch(watch, Pdf().c_str(), IN_OPEN), 0);
  BackgroundProcess program({VELLUMOR_BINARY}, sandbox.Options());
  ASSERT_TRUE(program.Started());
  program.WriteInput(PagesJob(1, "Wednesday", "Journal"));
  program.CloseInput();
  const bool opened = WaitForEvent(watch, "");
  ::close(watch);
  ASSERT_TRUE(opened);
  ASSERT_TRUE(program.Signal(SIGTERM));
  const ProcessResult cancelled = program.Wait(nullptr);
  EXPECT_TRUE(writer.StillThere()) << "the cancellation waited for the lock";
  EXPECT_EQ(cancelled.exitCode, 1);
  EXPECT_EQ(cancelled.err, "vellumor: cancelled (SIGTERM)\n");
  EXPECT_TRUE(ReadFileBytes(Pdf()) == before);
  EXPECT_THAT(NamesIn(sandbox.Desktop()), ElementsAre("Journal.pdf"));
  EXPECT_THAT(NamesIn(sandbox.Temp()), IsEmpty());
}

// A job that keeps the engine busy without reading input or saying anything ends at once on each
// of the three signals all the same: the old PDF as it was, nothing of the run left, no process.
TEST_F(IntegrityTest, ACancelEndsALoopingJobAtOnce) {
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  sandbox.SetSetting("AdvAppend", "Append to existing");
  ASSERT_EQ(sandbox.RunWithInput(PagesJob(1, "Old", "Journal")).exitCode, 0);
  const std::string before = ReadFileBytes(Pdf());
  const auto runProcesses = [this] { return sandbox.Processes(); };
  const std::pair<int, std::string> signals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
  for (const auto& [number, name] : signals) {
    SCOPED_TRACE(name);
    BackgroundProcess program({VELLUMOR_BINARY}, sandbox.Options());
    ASSERT_TRUE(program.Started());
    program.WriteInput("%!PS\n%%Title: Journal\n{ } loop\n");
    program.CloseInput();
    ASSERT_TRUE(WaitUntilBusy(runProcesses, std::chrono::milliseconds{1000}));
    ASSERT_TRUE(program.Signal(number));
    EXPECT_LT(WaitUntilGone(runProcesses, std::chrono::milliseconds{10'000}), std::chrono::milliseconds{2000});
    const ProcessResult cancelled = program.Wait();
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_EQ(cancelled.err, "vellumor: cancelled (" + name + ")\n");
    EXPECT_TRUE(ReadFileBytes(Pdf()) == before) << "the old PDF changed";
    EXPECT_THAT(NamesIn(sandbox.Desktop()), ElementsAre("Journal.pdf"));
    EXPECT_THAT(NamesIn(sandbox.Temp()), IsEmpty());
  }
}

// A signal while the job still arrives: the three that cancel end the run cleanly and say so;
// after SIGKILL, which nothing can catch, the next run removes what was left.
TEST_F(IntegrityTest, AJobStoppedWhileItArrivesLeavesNothingBehind) {
  const std::pair<int, std::string> signals[] = {
      {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}, {SIGKILL, "SIGKILL"}};
  for (const auto& [number, name] : signals) {
    SCOPED_TRACE(name);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, sandbox.Temp().c_str(), IN_CREATE), 0);
    BackgroundProcess program({VELLUMOR_BINARY}, sandbox.Options());
    ASSERT_TRUE(program.Started());
    // The job file exists once the program copies the job; the input stays open, as a printer
    // port's does while the job is still being printed.
    program.WriteInput("%!PS\n%%Title: Stopped\n");
    const bool copying = WaitForEvent(watch, ".ps");
    ::close(watch);
    ASSERT_TRUE(copying);
    ASSERT_TRUE(program.Signal(number));
    int signalled = 0;
    const ProcessResult run = program.Wait(&signalled);
    if (number == SIGKILL) {
      EXPECT_EQ(signalled, SIGKILL);
      EXPECT_THAT(NamesIn(sandbox.Temp()), ::testing::Not(IsEmpty()));
      const ProcessResult next = sandbox.RunWithInput(PagesJob(1, "Next", "Next"));
      EXPECT_EQ(next.exitCode, 0) << next.err;
      std::filesystem::remove(sandbox.Desktop() / "Next.pdf");
    } else {
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.err, "vellumor: cancelled (" + name + ")\n");
      EXPECT_EQ(run.out, "");
    }
    EXPECT_THAT(NamesIn(sandbox.Temp()), IsEmpty());
    EXPECT_THAT(NamesIn(sandbox.Desktop()), IsEmpty());
  }
}

}  // namespace
}  // namespace vellumor::test
