// The session agent as its own process (`vellumor --agent`): jobs handed to it run the program
// and their ends come back; what makes no sense, or comes from another user, is refused without
// harm to the agent; stale sockets, second agents, cancelled jobs and the end of the session.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
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
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using agent::Kind;
using agent::SessionResult;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr gid_t kNobodyGroup = 65534;

platform::OwnedFile OpenFile(const fs::path& path, int flags) {
  return platform::OwnedFile{::open(path.c_str(), flags | O_CLOEXEC, 0600)};
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
  platform::OwnedFile Output() { return OpenFile(sandbox_ / "output.txt", O_WRONLY | O_CREAT | O_TRUNC); }
  agent::SessionRun RunJob(const fs::path& socket, const std::string& title) {
    const platform::OwnedFile job = Job(title);
    const platform::OwnedFile output = Output();
    return agent::RunInSession(socket, {title, {}}, job.Get(), output.Get());
  }
  // A connection that got the agent's greeting.
  platform::LocalSocket Greeted(const fs::path& socket) {
    std::string error;
    std::optional<platform::LocalSocket> connection = platform::LocalSocket::Connect(socket, 1s, error);
    EXPECT_TRUE(connection.has_value()) << error;
    EXPECT_EQ(connection->Receive(agent::kMaxMessage, 0, 20s).bytes, agent::Encode(Kind::Hello));
    return std::move(*connection);
  }

  Sandbox sandbox_;
  AgentSetup setup_;
};

TEST_F(SessionAgentTest, JobsRunThroughTheAgentAndTheirEndsComeBack) {
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  struct Case {
    const char* saveAs;
    int status;
    const char* output;  // what the program wrote to the port's output
  };
  const Case cases[] = {{"Save to users Desktop (automatic)", 0, "Agent Report.pdf\n"},
                        {"Ask when creating PDF (manual)", 1, "which needs a display; no PDF was written"}};
  for (const Case& each : cases) {
    sandbox_.SetSetting("SaveAs", each.saveAs);
    const agent::SessionRun run = RunJob(agent->Socket(), "Agent Report");
    ASSERT_EQ(run.result, SessionResult::Ran) << run.reason << agent->ErrorOutput();
    EXPECT_EQ(run.end, (agent::ProgramEnd{false, each.status, false})) << each.saveAs;
    EXPECT_THAT(ReadFileBytes(sandbox_ / "output.txt"), HasSubstr(each.output));
  }
  EXPECT_EQ(Sandbox::FilesIn(sandbox_.Desktop(), ".pdf").size(), 1U);
  EXPECT_EQ(agent->ErrorOutput(), "") << "the agent itself says nothing";
}

TEST_F(SessionAgentTest, RequestsThatMakeNoSenseAreRefusedAndTheAgentGoesOn) {
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  struct Case {
    std::string bytes;  // nothing sent when empty: a port that stops half-way
    int files;
    std::string refusal;
  };
  const Case cases[] = {
      {"hello there", 0, "protocol version 104, not 1"},
      {std::string{"\x02J"} + "Report", 2, "protocol version 2, not 1"},
      {agent::Encode(Kind::Job, "Report"), 0, "two files"},
      {agent::Encode(Kind::Job, "Report"), 3, "too large"},
      {agent::Encode(Kind::Job, std::string(10000, 'x')), 2, "too large"},
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
  EXPECT_EQ(RunJob(agent->Socket(), "After").end, (agent::ProgramEnd{false, 0, false}));
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
  const agent::SessionRun run = RunJob(other->Socket(), "Not Yours");
  EXPECT_EQ(run.result, SessionResult::NoAgent);
  EXPECT_THAT(run.reason, HasSubstr("belongs to another user"));

  // And "nobody" cannot hand a job to this user's agent.
  const platform::OwnedFile job = Job("Intruder");
  const fs::path socket = own->Socket();
  EXPECT_EQ(
      RunUnprivileged([&] {
        const agent::SessionRun intruding = agent::RunInSession(socket, {"Intruder", {}}, job.Get(), STDERR_FILENO);
        return intruding.result == SessionResult::NoAgent ? std::string{} : "the job reached the agent";
      }),
      "");
  EXPECT_TRUE(Sandbox::FilesIn(sandbox_.Desktop(), ".pdf").empty());
}

TEST_F(SessionAgentTest, AStaleSocketIsNoAgentAndIsReplacedButALiveAgentIsNot) {
  MakeRuntimeFolder(setup_.runtime, ::geteuid(), ::getegid());
  std::string error;
  ASSERT_TRUE(platform::LocalSocket::Listen(agent::AgentSocket(setup_.runtime), error).has_value()) << error;
  ASSERT_TRUE(fs::exists(agent::AgentSocket(setup_.runtime))) << "a socket whose listener is gone";
  EXPECT_EQ(RunJob(agent::AgentSocket(setup_.runtime), "Stale").result, SessionResult::NoAgent);

  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  std::unique_ptr<AgentProcess> second = AgentProcess::Start(setup_, error);
  ASSERT_NE(second, nullptr) << error;
  EXPECT_EQ(second->WaitForExit(), std::optional<int>{0});
  EXPECT_THAT(second->ErrorOutput(), HasSubstr("vellumor: a session agent already serves this session"));
  EXPECT_EQ(RunJob(agent->Socket(), "Replaced").end, (agent::ProgramEnd{false, 0, false}));
}

TEST_F(SessionAgentTest, ACancelledJobsProgramIsStopped) {
  const std::unique_ptr<AgentProcess> agent = StartAgent(setup_);
  for (const bool byMessage : {true, false}) {
    // The program waits for the rest of a job that never comes.
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const platform::OwnedFile jobEnd{pipe[0]};
    const platform::OwnedFile writer{pipe[1]};
    const platform::OwnedFile output = Output();
    std::optional<platform::LocalSocket> connection = Greeted(agent->Socket());
    ASSERT_TRUE(connection->Send(agent::Encode(Kind::Job, "Long"), {jobEnd.Get(), output.Get()}));
    const std::string started = connection->Receive(agent::kMaxMessage, 0, 20s).bytes;
    ASSERT_TRUE(started.starts_with(agent::Encode(Kind::Started))) << started;
    const pid_t program = std::stoi(started.substr(2));

    if (byMessage) {
      ASSERT_TRUE(connection->Send(agent::Encode(Kind::Cancel)));
      const std::string ended = connection->Receive(agent::kMaxMessage, 0, 20s).bytes;
      ASSERT_TRUE(ended.starts_with(agent::Encode(Kind::Ended))) << ended;
      const std::optional<agent::ProgramEnd> end = agent::DecodeEnd(ended.substr(2));
      ASSERT_TRUE(end.has_value()) << ended;
      EXPECT_TRUE(end->cancelled) << ended;
    } else {
      connection.reset();  // the port went away: its job was cancelled
    }
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (::kill(program, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_NE(::kill(program, 0), 0) << "the program still runs";
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
