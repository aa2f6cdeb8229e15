// The session agent as its own process (`vellumor --agent`): jobs handed to it are read whole and
// started in the session, where they live on by themselves; a job is dropped while it is not yet
// handed over; what makes no sense, or comes from another user, is refused without harm to the
// agent; stale sockets, second agents and the end of the session.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <optional>
#include <thread>

#include "agent/AgentClient.h"
#include "agent/support/AgentProcess.h"
#include "platform/UnprivilegedRun.h"
#include "platform/posix/LocalSocket.h"
#include "printer/support/PrivateCups.h"
#include "support/DesktopSession.h"
#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using agent::HandOverResult;
using agent::Kind;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr gid_t kNobodyGroup = 65534;

platform::OwnedFile OpenFile(const fs::path& path, int flags) {
  return platform::OwnedFile{::open(path.c_str(), flags | O_CLOEXEC, 0600)};
}

struct Pipe {
  platform::OwnedFile reader;
  platform::OwnedFile writer;
};
Pipe MakePipe() {
  int ends[2] = {-1, -1};
  EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  return {platform::OwnedFile{ends[0]}, platform::OwnedFile{ends[1]}};
}

// Waits until `condition` holds, at most `timeout`.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::seconds timeout = 60s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

bool Running(pid_t process) {
  return ::kill(process, 0) == 0;
}

class SessionAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_.program = VELLUMOR_BINARY;
    setup_.runtime = sandbox_ / "run";
    setup_.environment = sandbox_.Options().setEnvironment;
  }

  std::unique_ptr<AgentProcess> StartAgent(const AgentSetup& setup) {
    std::string error;
    std::unique_ptr<AgentProcess> agent = AgentProcess::StartListening(setup, error);
    EXPECT_NE(agent, nullptr) << error;
    return agent;
  }
  platform::OwnedFile Job(const std::string& title) {
    return OpenFile(MakeTextJob(sandbox_ / "", title + ".ps", 1, title), O_RDONLY);
  }
  // The port's side, as this process's user.
  static agent::HandOver HandOver(const fs::path& socket, const std::string& title, int input) {
    std::string error;
    std::optional<platform::LocalSocket> connection = platform::LocalSocket::Connect(socket, 1s, error);
    const std::unique_ptr<platform::EventWait> events = platform::EventWait::Create(error);
    if (!connection || !events) {
      return {HandOverResult::NoAgent, error, 0};
    }
    return agent::HandOverJob(*connection, ::geteuid(), {title, {}}, input, *events, std::nullopt);
  }
  // A connection that got the agent's greeting.
  platform::LocalSocket Greeted(const fs::path& socket) {
    std::string error;
    std::optional<platform::LocalSocket> connection = platform::LocalSocket::Connect(socket, 1s, error);
    EXPECT_TRUE(connection.has_value()) << error;
    EXPECT_EQ(connection->Receive(agent::kMaxMessage, 0, 20s).bytes, agent::Encode(Kind::Hello));
    return std::move(*connection);
  }
  // A job sent on `connection` as the port sends it, the agent's answer that it takes it read.
  void SendJob(platform::LocalSocket& connection, int job) {
    ASSERT_TRUE(connection.Send(agent::Encode(Kind::Job, "Long"), {job}));
    EXPECT_EQ(connection.Receive(agent::kMaxMessage, 0, 20s).bytes, agent::Encode(Kind::Taking));
  }

  Sandbox sandbox_;
  AgentSetup setup_;
};

TEST_F(SessionAgentTest, JobsAreHandedOverWholeAndTheirProgramsGoOnAlone) {
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  // Through a pipe, as from the scheduler: it has ended before the program is started.
  sandbox_.SetSetting("SaveAs", "Save to users Desktop (automatic)");
  Pipe stream = MakePipe();
  const std::string job = ReadFileBytes(MakeTextJob(sandbox_ / "", "streamed.ps", 2, "Streamed"));
  ASSERT_EQ(::write(stream.writer.Get(), job.data(), job.size()), static_cast<ssize_t>(job.size()));
  stream.writer.Reset();
  agent::HandOver handed = HandOver(agent->Socket(), "Agent Report", stream.reader.Get());
  ASSERT_EQ(handed.result, HandOverResult::HandedOver) << handed.reason << agent->ErrorOutput();
  EXPECT_GT(handed.program, 0);
  const fs::path pdf = sandbox_.Desktop() / "Agent Report.pdf";
  ASSERT_TRUE(Eventually([&] { return !Running(handed.program) && fs::exists(pdf); })) << agent->ErrorOutput();
  EXPECT_EQ(InspectPdf(pdf).pages, 2);

  // What the program says goes to the session's log, not to the port.
  sandbox_.SetSetting("SaveAs", "Ask when creating PDF (manual)");
  handed = HandOver(agent->Socket(), "Waits", Job("Waits").Get());
  ASSERT_EQ(handed.result, HandOverResult::HandedOver) << handed.reason;
  EXPECT_TRUE(Eventually([&] { return agent->ErrorOutput().find("which needs a display") != std::string::npos; }))
      << agent->ErrorOutput();

  // An empty job is no job: nothing is started (no settings window in its place).
  Pipe empty = MakePipe();
  empty.writer.Reset();
  handed = HandOver(agent->Socket(), "Empty", empty.reader.Get());
  EXPECT_EQ(handed.result, HandOverResult::NotTaken);
  EXPECT_THAT(handed.reason, HasSubstr("holds no data"));
  EXPECT_THAT(agent->ErrorOutput(), HasSubstr("the printed job \"Empty\" holds no data; nothing was converted"));
  EXPECT_EQ(Sandbox::FilesIn(sandbox_.Desktop(), ".pdf").size(), 1U);
}

TEST_F(SessionAgentTest, RequestsThatMakeNoSenseAreRefusedAndTheAgentGoesOn) {
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  struct Case {
    std::string bytes;  // nothing sent when empty: a port that stops half-way
    int files;
    std::string refusal;
  };
  const Case cases[] = {
      {"hello there", 0, "protocol version 104, not 2"},
      {std::string{"\x01J"} + "Report", 1, "protocol version 1, not 2"},
      {agent::Encode(Kind::Job, "Report"), 0, "one file"},
      {agent::Encode(Kind::Job, "Report"), 2, "too large"},
      {agent::Encode(Kind::Job, std::string(10000, 'x')), 1, "too large"},
      {agent::Encode(Kind::Cancel), 0, "a job was expected"},
      {"", 0, "no job came in time"},
  };
  std::optional<std::size_t> openBefore;
  for (const Case& each : cases) {
    platform::LocalSocket connection = Greeted(agent->Socket());
    std::vector<platform::OwnedFile> files;
    std::vector<int> descriptors;
    for (int file = 0; file < each.files; ++file) {
      descriptors.push_back(files.emplace_back(OpenFile("/dev/null", O_RDONLY)).Get());
    }
    if (!each.bytes.empty()) {
      ASSERT_TRUE(connection.Send(each.bytes, descriptors));
    }
    const platform::ReceivedMessage answer = connection.Receive(agent::kMaxMessage, 0, 20s);
    EXPECT_TRUE(answer.bytes.starts_with(agent::Encode(Kind::Refused))) << answer.bytes;
    EXPECT_THAT(answer.bytes, HasSubstr(each.refusal));
    EXPECT_EQ(connection.Receive(agent::kMaxMessage, 0, 20s).kind, platform::ReceivedMessage::Kind::Closed);
    // Counted once a request was answered: by then the agent has dropped the connection that
    // found out whether it listens, which it may still hold right after it started.
    openBefore = openBefore.value_or(agent->OpenFiles());
  }
  EXPECT_EQ(agent->OpenFiles(), openBefore) << "nothing of a refused request stays open";
  EXPECT_EQ(HandOver(agent->Socket(), "After", Job("After").Get()).result, HandOverResult::HandedOver);
}

TEST_F(SessionAgentTest, AnotherUsersProcessNeverGetsAWord) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "another user's agent needs root";
  }
  const std::unique_ptr<AgentProcess> own = StartAgent(setup_);
  // An agent of "nobody", in a runtime folder of its own, reached by root (whom no file mode stops).
  TempDir shared;
  fs::permissions(shared.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  AgentSetup nobody = setup_;
  nobody.program = SharedProgramCopy(shared / "program", VELLUMOR_BINARY);
  nobody.runtime = shared / "run";
  nobody.user = kNobodyId;
  nobody.group = kNobodyGroup;
  const std::unique_ptr<AgentProcess> other = StartAgent(nobody);

  std::string error;
  std::optional<platform::LocalSocket> intruder = platform::LocalSocket::Connect(other->Socket(), 1s, error);
  ASSERT_TRUE(intruder.has_value()) << error;
  EXPECT_EQ(intruder->Receive(agent::kMaxMessage, 0, 20s).kind, platform::ReceivedMessage::Kind::Closed);
  const agent::HandOver handed = HandOver(other->Socket(), "Not Yours", Job("Not Yours").Get());
  EXPECT_EQ(handed.result, HandOverResult::NoAgent);
  EXPECT_THAT(handed.reason, HasSubstr("belongs to another user"));

  // And "nobody" cannot hand a job to this user's agent.
  const platform::OwnedFile job = Job("Intruder");
  const fs::path socket = own->Socket();
  EXPECT_EQ(RunUnprivileged([&] {
              return HandOver(socket, "Intruder", job.Get()).result == HandOverResult::NoAgent
                         ? std::string{}
                         : "the job reached the agent";
            }),
            "");
  EXPECT_TRUE(Sandbox::FilesIn(sandbox_.Desktop(), ".pdf").empty());
}

TEST_F(SessionAgentTest, AStaleSocketIsNoAgentAndIsReplacedButALiveAgentIsNot) {
  MakeRuntimeFolder(setup_.runtime, ::geteuid(), ::getegid());
  std::string error;
  ASSERT_TRUE(platform::LocalSocket::Listen(agent::AgentSocket(setup_.runtime), error).has_value()) << error;
  ASSERT_TRUE(fs::exists(agent::AgentSocket(setup_.runtime))) << "a socket whose listener is gone";
  EXPECT_EQ(HandOver(agent::AgentSocket(setup_.runtime), "Stale", Job("Stale").Get()).result, HandOverResult::NoAgent);

  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  std::unique_ptr<AgentProcess> second = AgentProcess::Start(setup_, error);
  ASSERT_NE(second, nullptr) << error;
  EXPECT_EQ(second->WaitForExit(), std::optional<int>{0});
  EXPECT_THAT(second->ErrorOutput(), HasSubstr("vellumor: a session agent already serves this session"));
  EXPECT_EQ(HandOver(agent->Socket(), "Replaced", Job("Replaced").Get()).result, HandOverResult::HandedOver);
}

TEST_F(SessionAgentTest, AJobIsDroppedUntilThePortLetsGoOfIt) {
  sandbox_.SetSetting("SaveAs", "Save to users Desktop (automatic)");
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  for (const bool byMessage : {true, false}) {
    // The job's data stalls half-way: the agent reads what came and waits for the rest.
    Pipe stream = MakePipe();
    std::optional<platform::LocalSocket> connection = Greeted(agent->Socket());
    SendJob(*connection, stream.reader.Get());
    stream.reader.Reset();
    ASSERT_EQ(::write(stream.writer.Get(), "%!PS\n", 5), 5);
    if (byMessage) {
      ASSERT_TRUE(connection->Send(agent::Encode(Kind::Cancel)));
    } else {
      connection.reset();  // the port went away before the hand-over: its job was cancelled
    }
    // Once the agent has let go of the job, nobody reads it any more.
    pollfd writer{stream.writer.Get(), POLLOUT, 0};
    EXPECT_TRUE(Eventually([&] { return ::poll(&writer, 1, 0) == 1 && (writer.revents & POLLERR) != 0; }, 20s));
  }
  EXPECT_TRUE(Sandbox::FilesIn(sandbox_.Desktop(), ".pdf").empty());

  // A program whose window waits for the user: cancelled while the port has not yet let go, it
  // is stopped; once the port let go, it is the session's and the agent no longer touches it.
  std::string why;
  const std::unique_ptr<XvfbServer> display = XvfbServer::Start(why);
  if (!display) {
    GTEST_SKIP() << "no X server for the waiting windows: " << why;
  }
  AgentSetup withDisplay = setup_;
  withDisplay.runtime = sandbox_ / "run-display";
  withDisplay.environment["DISPLAY"] = display->Display();
  withDisplay.environment["QT_QPA_PLATFORM"] = "offscreen";
  sandbox_.SetSetting("SaveAs", "Ask when creating PDF (manual)");
  sandbox_.SetSetting("AdvCheckUpdate", "Never");
  sandbox_.SetSetting("AdvLastUpdateCheck", "0");
  const std::unique_ptr<AgentProcess> session = StartAgent(withDisplay);
  for (const bool cancelled : {true, false}) {
    std::optional<platform::LocalSocket> connection = Greeted(session->Socket());
    SendJob(*connection, Job("Waits").Get());
    const std::string started = connection->Receive(agent::kMaxMessage, 0, 20s).bytes;
    ASSERT_TRUE(started.starts_with(agent::Encode(Kind::Started))) << started << session->ErrorOutput();
    const pid_t program = std::stoi(started.substr(2));
    if (cancelled) {
      ASSERT_TRUE(connection->Send(agent::Encode(Kind::Cancel)));
      EXPECT_TRUE(Eventually([&] { return !Running(program); }, 20s)) << "the window stays";
      continue;
    }
    connection.reset();
    // A request answered after the port let go tells that the agent has seen it go.
    Pipe empty = MakePipe();
    empty.writer.Reset();
    EXPECT_EQ(HandOver(session->Socket(), "Empty", empty.reader.Get()).result, HandOverResult::NotTaken);
    EXPECT_TRUE(Running(program)) << session->ErrorOutput();
    ::kill(program, SIGTERM);
    EXPECT_TRUE(Eventually([&] { return !Running(program); }, 20s));
  }
}

TEST_F(SessionAgentTest, TheAgentEndsWithItsSessionAndTakesItsSocketAlong) {
  enum class Ending { ControlClosed, Terminated, HungUp, WaylandGone, XServerGone };
  MakeRuntimeFolder(setup_.runtime, ::geteuid(), ::getegid());
  setup_.environment["WAYLAND_DISPLAY"] = "wayland-test";
  for (const Ending ending :
       {Ending::ControlClosed, Ending::Terminated, Ending::HungUp, Ending::WaylandGone, Ending::XServerGone}) {
    WriteFileBytes(setup_.runtime / "wayland-test", "");
    std::string why;
    std::unique_ptr<XvfbServer> xserver = ending == Ending::XServerGone ? XvfbServer::Start(why) : nullptr;
    if (ending == Ending::XServerGone && !xserver) {
      continue;  // no X server here; the other endings still count
    }
    setup_.environment["DISPLAY"] = xserver ? xserver->Display() : "";
    const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
    switch (ending) {
      case Ending::ControlClosed:
        agent->CloseControl();
        break;
      case Ending::Terminated:
        agent->Signal(SIGTERM);
        break;
      case Ending::HungUp:
        agent->Signal(SIGHUP);
        break;
      case Ending::WaylandGone:
        fs::remove(setup_.runtime / "wayland-test");
        break;
      case Ending::XServerGone:
        xserver.reset();
        break;
    }
    EXPECT_EQ(agent->WaitForExit(), std::optional<int>{0}) << static_cast<int>(ending);
    EXPECT_FALSE(fs::exists(agent->Socket())) << static_cast<int>(ending);
  }
}

TEST_F(SessionAgentTest, WithoutAPrivateRuntimeFolderNoAgentStarts) {
  MakeRuntimeFolder(sandbox_ / "open", ::geteuid(), ::getegid());
  fs::permissions(sandbox_ / "open", fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
  struct Case {
    std::optional<std::string> runtime;
    std::string message;
  };
  const Case cases[] = {
      {std::nullopt, "needs XDG_RUNTIME_DIR"},
      {"relative/run", "needs XDG_RUNTIME_DIR"},
      {(sandbox_ / "missing").string(), "cannot be used"},
      {(sandbox_ / "open").string(), "can be accessed by other users"},
  };
  for (const Case& each : cases) {
    ProcessOptions options = sandbox_.Options();
    options.unsetEnvironment.push_back("XDG_RUNTIME_DIR");
    if (each.runtime) {
      options.setEnvironment["XDG_RUNTIME_DIR"] = *each.runtime;
    }
    const ProcessResult run = RunProcess({"timeout", "20", VELLUMOR_BINARY, "--agent"}, options);
    EXPECT_EQ(run.exitCode, 2) << each.message;
    EXPECT_THAT(run.err, HasSubstr(each.message));
  }
}

TEST(AutostartEntryTest, SessionsStartTheAgentThroughAValidEntry) {
  if (!HaveProgram("desktop-file-validate")) {
    GTEST_SKIP() << "desktop-file-validate is not installed";
  }
  const std::string entry = std::string{VELLUMOR_SOURCE_DIR} + "/src/agent/vellumor-agent.desktop";
  const ProcessResult validated = RunProcess({"desktop-file-validate", entry});
  EXPECT_EQ(validated.exitCode, 0) << validated.out << validated.err;
  EXPECT_EQ(validated.out + validated.err, "") << "not even a hint";
  EXPECT_THAT(ReadFileBytes(entry), HasSubstr("\nExec=vellumor --agent\n"));
}

}  // namespace
}  // namespace vellumor::test
