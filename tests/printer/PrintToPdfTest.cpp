// The whole system: the printer installed by its script into a scheduler of the test's own, files
// printed with `lp` by a user, and the PDFs found where that user's settings say.

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <thread>

#include "agent/AgentClient.h"
#include "agent/support/AgentProcess.h"
#include "platform/posix/LocalSocket.h"
#include "printer/support/PrinterWorld.h"
#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Pair;
using ::testing::SizeIs;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// What a user's own listener at the agent's socket says to steer the shared queue, were it passed on.
const std::string kSteering =
    "\nPPD: DefaultPageSize=Letter DefaultResolution=1dpi\nSTATE: +media-empty-error\n"
    "ATTR: printer-alert-description=steered\nATTR: marker-message=steered\n";

// A listener of `user`'s own at the socket where the user's session agent would be. Its n-th
// connection gets the greeting, takes the job (writing the steering lines into whatever files come
// along) and says it took it in `reports`/took-n, then sends the n-th entry of `answers` and
// never answers again.
pid_t StartListener(const TestUser& user, const fs::path& socket, const fs::path& reports,
                    const std::vector<std::vector<std::string>>& answers) {
  const pid_t pid = ::fork();
  if (pid != 0) {
    return pid;
  }
  if (::setgroups(0, nullptr) != 0 || ::setgid(user.Gid()) != 0 || ::setuid(user.Uid()) != 0) {
    ::_exit(126);
  }
  std::string error;
  std::optional<platform::LocalSocket> listener = platform::LocalSocket::Listen(socket, error);
  if (!listener) {
    ::_exit(125);
  }
  std::vector<platform::LocalSocket> held;
  for (std::size_t n = 0;; ++n) {
    pollfd waiting{listener->Descriptor(), POLLIN, 0};
    ::poll(&waiting, 1, -1);
    std::optional<platform::LocalSocket> connection = listener->Accept();
    if (!connection) {
      continue;
    }
    connection->Send(agent::Encode(agent::Kind::Hello));
    platform::ReceivedMessage job = connection->Receive(agent::kMaxMessage, 4, std::nullopt);
    for (const platform::OwnedFile& file : job.files) {
      [[maybe_unused]] const ssize_t ignored = ::write(file.Get(), kSteering.data(), kSteering.size());
    }
    for (const std::string& answer : n < answers.size() ? answers[n] : std::vector<std::string>{}) {
      connection->Send(answer);
    }
    WriteFileBytes(reports / ("took-" + std::to_string(n)), "");
    held.push_back(std::move(*connection));
  }
}

// Page 1 of `pdf` as poppler's pdfinfo shows it, in points: the page's /Rotate applied.
std::pair<double, double> FirstPageAsShown(const std::filesystem::path& pdf) {
  const std::string info = RunProcess({"pdfinfo", pdf.string()}).out;
  std::smatch size;
  std::smatch rotation;
  if (!std::regex_search(info, size, std::regex{"Page size: +([0-9.]+) x ([0-9.]+) pts"}) ||
      !std::regex_search(info, rotation, std::regex{"Page rot: +([0-9]+)"})) {
    return {0, 0};
  }
  const double width = std::stod(size[1]);
  const double height = std::stod(size[2]);
  const int turned = std::stoi(rotation[1]) % 180;
  return turned == 0 ? std::pair{width, height} : std::pair{height, width};
}

class PrintToPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    bool unavailable = false;
    world_ = PrinterWorld::Make(true, error, unavailable);
    if (unavailable) {
      GTEST_SKIP() << error;
    }
    ASSERT_NE(world_, nullptr) << error;
  }
  void ExpectJobsDone() const { ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail(); }

  std::unique_ptr<PrinterWorld> world_;
};

TEST_F(PrintToPdfTest, PrintedFilesBecomeTheUsersPdfs) {
  EXPECT_THAT(world_->cups->Run({"lpinfo", "-v"}).out, HasSubstr("file vellumor:/\n"));
  const auto text = world_->TextFile("letter.txt", 3);
  const auto pdf = world_->PdfFile("slides.pdf", 2);
  for (const auto& file : {text, pdf}) {
    const ProcessResult queued = world_->RunAsUser({"lp", "-d", "Vellumor", file.string()});
    ASSERT_EQ(queued.exitCode, 0) << queued.err;
  }
  ExpectJobsDone();
  EXPECT_THAT(world_->cups->Jobs("Vellumor", true), SizeIs(2)) << world_->cups->LogTail();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("letter.pdf", 3), Pair("slides.pdf", 2))) << world_->cups->LogTail();

  struct stat info {};
  ASSERT_EQ(::stat((world_->user->PdfFolder() / "letter.pdf").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, world_->user->Uid());
}

TEST_F(PrintToPdfTest, EveryPdfHasThePaperItWasPrintedOn) {
  // One page as an application prints it: PostScript that asks for no paper of its own.
  const std::string job =
      "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n"
      "/Helvetica findfont 10 scalefont setfont 36 36 moveto (Printed on its own paper) show showpage\n%%EOF\n";
  struct Paper {
    std::string name;
    std::vector<std::string> options;
    double width;  // points, as a PDF reader shows the page
    double height;
  };
  const std::vector<Paper> papers{{"a0", {"-o", "media=A0"}, 2383.9, 3370.4},
                                  {"arch-d", {"-o", "media=ARCHD"}, 1728, 2592},
                                  {"roll", {"-o", "media=Custom.100x2000mm"}, 283.5, 5669.3},
                                  {"landscape", {"-o", "media=A4", "-o", "landscape"}, 841.9, 595.3}};
  for (const Paper& paper : papers) {
    const std::filesystem::path file = world_->user->Home() / (paper.name + ".ps");
    WriteFileBytes(file, job);
    world_->user->Own(file);
    std::vector<std::string> command{"lp", "-d", "Vellumor"};
    command.insert(command.end(), paper.options.begin(), paper.options.end());
    command.push_back(file.string());
    const ProcessResult queued = world_->RunAsUser(command);
    ASSERT_EQ(queued.exitCode, 0) << paper.name << ": " << queued.err;
  }
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), SizeIs(papers.size())) << world_->cups->LogTail();
  for (const Paper& paper : papers) {
    const std::filesystem::path pdf = world_->user->PdfFolder() / (paper.name + ".pdf");
    const auto [width, height] = FirstPageAsShown(pdf);
    EXPECT_NEAR(width, paper.width, 1.0) << paper.name;
    EXPECT_NEAR(height, paper.height, 1.0) << paper.name;
    // Still vector: the text is there as text, and no page was turned into a picture.
    EXPECT_THAT(PdfText(pdf), HasSubstr("Printed on its own paper")) << paper.name;
    const ProcessResult images = RunProcess({"pdfimages", "-list", pdf.string()});
    EXPECT_EQ(std::count(images.out.begin(), images.out.end(), '\n'), 2) << paper.name << ":\n" << images.out;
  }
}

TEST_F(PrintToPdfTest, AFailedJobFailsAloneAndSaysWhy) {
  // Printed as root: refused, and the printer goes on with the next job.
  const auto text = world_->TextFile("memo.txt", 1);
  ASSERT_EQ(world_->cups->Run({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), IsEmpty());
  EXPECT_THAT(world_->cups->Log(), HasSubstr("jobs printed as root are refused"));
  EXPECT_THAT(world_->cups->Run({"lpstat", "-p", "Vellumor"}).out, HasSubstr("enabled"));

  ASSERT_EQ(world_->RunAsUser({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("memo.pdf", 1))) << world_->cups->LogTail();
}

TEST_F(PrintToPdfTest, NobodyPrintsInAnotherUsersName) {
  std::string error;
  const std::unique_ptr<TestUser> other = TestUser::Create(world_->cups->Folder() / "home", error);
  ASSERT_NE(other, nullptr) << error;
  const auto text = world_->TextFile("memo.txt", 1);
  // The job would be converted as the other user, into that user's home.
  const ProcessResult pretended = world_->RunAsUser({"lp", "-U", other->Name(), "-d", "Vellumor", text.string()});
  ExpectJobsDone();
  EXPECT_THAT(Sandbox::FilesIn(other->PdfFolder(), ".pdf"), IsEmpty()) << world_->cups->LogTail();
  if (pretended.exitCode == 0) {
    EXPECT_THAT(world_->cups->Run({"lpstat", "-W", "all", "-o", "Vellumor"}).out, Not(HasSubstr(other->Name())));
  } else {
    EXPECT_THAT(pretended.err, HasSubstr("Unauthorized"));
  }
  // Printed in the user's own name, the job still converts.
  ASSERT_EQ(world_->RunAsUser({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("memo.pdf", 1))) << world_->cups->LogTail();
}

// The scheduler cancels a job by terminating its backend: a job whose PostScript keeps the engine
// busy ends at once, leaving no process of the user's, the PDF it would have appended to as it
// was, and nothing else behind.
TEST_F(PrintToPdfTest, ACancelledLoopingJobEndsAtOnce) {
  const TestUser& user = *world_->user;
  user.SetSetting("AdvFixedFilename", "Journal.pdf");
  user.SetSetting("AdvAppend", "Append to existing");
  ASSERT_EQ(world_->RunAsUser({"lp", "-d", "Vellumor", world_->TextFile("first.txt", 1).string()}).exitCode, 0);
  ExpectJobsDone();
  const std::filesystem::path pdf = user.PdfFolder() / "Journal.pdf";
  ASSERT_TRUE(std::filesystem::exists(pdf)) << world_->cups->LogTail();
  const std::string before = ReadFileBytes(pdf);

  const std::filesystem::path loop = user.Home() / "loop.ps";
  WriteFileBytes(loop, "%!PS\n%%Title: Journal\n{ } loop\n");
  user.Own(loop);
  const ProcessResult queued = world_->RunAsUser({"lp", "-d", "Vellumor", loop.string()});
  ASSERT_EQ(queued.exitCode, 0) << queued.err;
  const std::string prefix = "request id is ";
  ASSERT_EQ(queued.out.rfind(prefix, 0), 0u) << queued.out;
  const std::string job = queued.out.substr(prefix.size(), queued.out.find(' ', prefix.size()) - prefix.size());
  const auto usersProcesses = [uid = user.Uid()] { return ProcessesOfUser(uid); };
  ASSERT_TRUE(WaitUntilBusy(usersProcesses, std::chrono::milliseconds{1000})) << world_->cups->LogTail();

  ASSERT_EQ(world_->cups->Run({"cancel", job}).exitCode, 0);
  EXPECT_LT(WaitUntilGone(usersProcesses, std::chrono::milliseconds{10'000}), std::chrono::milliseconds{2000});
  ExpectJobsDone();
  EXPECT_TRUE(ReadFileBytes(pdf) == before) << "the old PDF changed";
  EXPECT_THAT(NamesIn(user.PdfFolder()), ElementsAre("Journal.pdf"));
  EXPECT_THAT(NamesIn("/tmp/vellumor-" + std::to_string(user.Uid())), IsEmpty());
}

TEST_F(PrintToPdfTest, AUsersOwnListenerAtTheAgentsSocketNeitherSteersTheQueueNorHoldsIt) {
  const fs::path ppd = world_->cups->Folder() / "etc/ppd/Vellumor.ppd";
  // The driver's settings, the queue's options and its state (whose time of change moves on).
  const auto settings = [&] {
    return ReadFileBytes(ppd) + world_->cups->Run({"lpoptions", "-p", "Vellumor", "-l"}).out +
           std::regex_replace(world_->cups->Run({"lpoptions", "-p", "Vellumor"}).out,
                              std::regex{"printer-state-change-time=[0-9]+"}, "");
  };
  ASSERT_TRUE(fs::exists(ppd));
  const std::string before = settings();
  const ProcessResult stateBefore = world_->cups->Run({"lpstat", "-l", "-p", "Vellumor"});

  const fs::path runtime = world_->cups->RuntimeRoot() / std::to_string(world_->user->Uid());
  MakeRuntimeFolder(runtime, world_->user->Uid(), world_->user->Gid());
  using agent::Encode;
  using agent::Kind;
  const std::string taking = Encode(Kind::Taking);
  const std::vector<std::vector<std::string>> answers{
      {taking},                                          // takes the job and never answers again
      {Encode(Kind::Refused, kSteering)},                // refuses with steering lines
      {taking, Encode(Kind::Started, "1" + kSteering)},  // a start that is none
      // An end that would stop the port: the earlier protocol's "ended by signal 19".
      {taking, std::string{static_cast<char>(agent::kProtocolVersion), 'E'} + "signal 19"},
  };
  const pid_t listener = StartListener(*world_->user, agent::AgentSocket(runtime), runtime, answers);
  ASSERT_GT(listener, 0);
  const auto awaitFile = [](const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    return fs::exists(file);
  };
  const auto printing = [&] {
    return world_->cups->Run({"lpstat", "-p", "Vellumor"}).out.find("now printing") != std::string::npos;
  };

  const fs::path text = world_->TextFile("memo.txt", 1);
  for (std::size_t n = 0; n < answers.size(); ++n) {
    const ProcessResult queued = world_->RunAsUser({"lp", "-d", "Vellumor", text.string()});
    ASSERT_EQ(queued.exitCode, 0) << queued.err;
    ASSERT_TRUE(awaitFile(runtime / ("took-" + std::to_string(n)))) << world_->cups->LogTail();
    if (n == 0) {
      // Cancelled while the listener sits on the job: the printer is free again within 2 s.
      std::smatch id;
      ASSERT_TRUE(std::regex_search(queued.out, id, std::regex{"Vellumor-[0-9]+"})) << queued.out;
      ASSERT_EQ(world_->RunAsUser({"cancel", id.str()}).exitCode, 0);
      const auto cancelled = std::chrono::steady_clock::now();
      while (printing() && std::chrono::steady_clock::now() - cancelled < 10s) {
        std::this_thread::sleep_for(10ms);
      }
      EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 2s) << world_->cups->LogTail();
    }
    ASSERT_TRUE(world_->cups->WaitForJobs(30s)) << "job " << n << " holds the queue\n" << world_->cups->LogTail();
  }
  ::kill(listener, SIGKILL);
  ::waitpid(listener, nullptr, 0);

  EXPECT_EQ(settings(), before);
  const ProcessResult stateAfter = world_->cups->Run({"lpstat", "-l", "-p", "Vellumor"});
  EXPECT_THAT(stateAfter.out, HasSubstr("enabled"));
  EXPECT_THAT(stateAfter.out, Not(HasSubstr("media-empty"))) << stateBefore.out;
  const std::string log = world_->cups->Log();
  EXPECT_EQ(log.find("steered"), std::string::npos) << "nothing the listener said reached the scheduler";
  EXPECT_THAT(log, HasSubstr("the session agent refused the job; no PDF was written"));
  EXPECT_THAT(log, HasSubstr("the answer of the session agent made no sense; no PDF was written"));
  EXPECT_THAT(world_->Pdfs(), IsEmpty());
}

TEST_F(PrintToPdfTest, TheRemoveScriptTakesThePrinterAway) {
  ProcessOptions options = world_->cups->Options();
  options.setEnvironment["CUPS_BACKEND_DIR"] = world_->cups->BackendFolder().string();
  const ProcessResult removed = RunProcess({std::string{VELLUMOR_SOURCE_DIR} + "/scripts/remove-printer.sh"}, options);
  ASSERT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_NE(world_->cups->Run({"lpstat", "-p", "Vellumor"}).exitCode, 0);
  EXPECT_THAT(world_->cups->Run({"lpinfo", "-v"}).out, Not(HasSubstr("vellumor")));
  EXPECT_FALSE(std::filesystem::exists(world_->cups->BackendFolder() / "vellumor.conf"));
}

}  // namespace
}  // namespace vellumor::test
