// The printer's port program, run the way the scheduler runs it (as root, with the job's
// arguments), starting a recording stand-in for the vellumor program named in its configuration.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "agent/support/AgentProcess.h"
#include "backend/ProgramChoice.h"
#include "printer/support/PrivateCups.h"
#include "printer/support/TestUser.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace vellumor::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Writes what it was started with into the user's home and exits with the status in the file
// "status" beside it.
constexpr std::string_view kRecorder =
    "#!/bin/sh\n"
    "{ echo \"ids=$(id -u) $(id -g) $(id -G)\"; echo \"cwd=$(pwd)\"; for a in \"$@\"; do echo \"arg=$a\"; done;\n"
    "  env | sort; } > \"$HOME/record.txt\"\n"
    "cat > \"$HOME/input.ps\"\n"
    "exit \"$(cat \"$(dirname \"$0\")/status\" 2>/dev/null || echo 0)\"\n";

// Takes the job, says so in the user's home, and then waits for a job that never ends by itself;
// says when it was asked to stop, and does not even stop then when the file "deaf" lies beside it.
constexpr std::string_view kWaiter =
    "#!/bin/sh\n"
    "if [ -e \"$(dirname \"$0\")/deaf\" ]; then\n"
    "  trap '' TERM; cat > /dev/null; touch \"$HOME/started\"; exec sleep 60\n"
    "fi\n"
    "trap 'echo stopped > \"$HOME/stopped\"; kill $! 2>/dev/null; exit 1' TERM\n"
    "cat > /dev/null; touch \"$HOME/started\"\n"
    "sleep 60 & wait\n";

constexpr fs::perms kShared = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;

class BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "the backend converts as the printing user, which needs root";
    }
    fs::permissions(dir_.Path(), kShared);
    fs::create_directories(dir_ / "backend");
    fs::create_directories(dir_ / "program");
    fs::permissions(dir_ / "program", kShared);
    fs::copy_file(VELLUMOR_BACKEND_BINARY, Backend());
    fs::permissions(Backend(), fs::perms::owner_all);
    WriteProgram(Program(), kRecorder);
    WriteConfig("# chosen by the test\nprogram=" + Program().string() + "\n");
    std::string error;
    user_ = TestUser::Create(dir_ / "home", error);
    ASSERT_NE(user_, nullptr) << error;
  }

  fs::path Backend() const { return dir_ / "backend/vellumor"; }
  fs::path Config() const { return dir_ / "backend/vellumor.conf"; }
  fs::path Program() const { return dir_ / "program/record"; }
  static void WriteProgram(const fs::path& path, std::string_view text) {
    WriteFileBytes(path, text);
    fs::permissions(path, kShared);
  }
  void WriteConfig(std::string_view text) const {
    WriteFileBytes(Config(), text);
    fs::permissions(Config(),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  }
  std::vector<std::string> Command(const std::string& user, const std::string& jobOptions = "job-uuid=x") const {
    return {Backend().string(), "42", user, "My Report.txt", "1", jobOptions};
  }
  ProcessResult RunJob(const std::string& user, std::optional<fs::path> file, const std::string& input = "",
                       const std::string& jobOptions = "job-uuid=x") const {
    ProcessOptions options;
    options.setEnvironment = {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"SCHEDULER_SECRET", "1"}};
    options.stdinText = input;
    std::vector<std::string> command = Command(user, jobOptions);
    if (file) {
      command.push_back(file->string());
    }
    return RunProcess(command, options);
  }
  std::string Record() const { return ReadFileBytes(user_->Home() / "record.txt"); }

  TempDir dir_{RootOnlyFolder()};
  std::unique_ptr<TestUser> user_;
};

TEST_F(BackendTest, WithoutArgumentsItNamesItsDevice) {
  const ProcessResult listing = RunProcess({Backend().string()});
  EXPECT_EQ(listing.exitCode, 0);
  EXPECT_EQ(listing.out, "file vellumor:/ \"Vellumor\" \"Vellumor (PDF files)\"\n");
}

TEST_F(BackendTest, TheJobRunsAsThePrintingUserWithoutADisplay) {
  // The spool file is root's alone; the user's program still gets its contents.
  const fs::path spool = dir_ / "d00042-001";
  WriteFileBytes(spool, "%!PS\n%%Title: From the spool\nshowpage\n");
  fs::permissions(spool, fs::perms::owner_read | fs::perms::owner_write);
  ProcessResult run = RunJob(user_->Name(), spool);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const std::string record = Record();
  const std::string id = std::to_string(user_->Uid());
  EXPECT_THAT(record, ::testing::StartsWith("ids=" + id + " "));
  EXPECT_THAT(record, HasSubstr("\ncwd=" + user_->Home().string() + "\n"));
  EXPECT_THAT(record, HasSubstr("\narg=-bMy Report.txt\n"));
  EXPECT_THAT(record, AllOf(HasSubstr("\nHOME=" + user_->Home().string() + "\n"), HasSubstr("\nUSER=" + user_->Name()),
                            Not(HasSubstr("DISPLAY")), Not(HasSubstr("SCHEDULER_SECRET"))));
  EXPECT_EQ(ReadFileBytes(user_->Home() / "input.ps"), "%!PS\n%%Title: From the spool\nshowpage\n");

  // Without a file argument the job comes on the backend's standard input.
  run = RunJob(user_->Name(), std::nullopt, "%!PS\n(piped) showpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(user_->Home() / "input.ps"), "%!PS\n(piped) showpage\n");
  EXPECT_THAT(Record(), Not(HasSubstr("arg=-s")));

  // A job from print-files mode names the file it prints; only an identity is passed on.
  for (const auto& [value, argument] : {std::pair{"2049:77", "\narg=-s2049:77\n"}, std::pair{"'1:2 -x'", ""}}) {
    run = RunJob(user_->Name(), std::nullopt, "%!PS\n",
                 "job-uuid=x vellumor-printed-file=" + std::string{value} + " document-name-supplied='a b'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string record = Record();
    EXPECT_EQ(record.find("\narg=-s"), std::string_view{argument}.empty() ? std::string::npos : record.find(argument))
        << value;
  }
}

TEST_F(BackendTest, TheJobFailsUnlessTheProgramSucceedsAndWhatItWritesIsOnlyLogged) {
  // The program runs as the user, who may make it write anything: lines that would steer the
  // shared queue (its driver settings, its state, its attributes), a line longer than the
  // scheduler reads at once with such a line in its second half, carriage returns.
  WriteProgram(Program(),
               "#!/bin/sh\ncat > /dev/null\n"
               "echo 'PPD: DefaultPageSize=Letter DefaultResolution=1dpi'\n"
               "echo 'STATE: +media-empty-error' >&2\n"
               "printf 'ATTR: printer-alert-description=x\\rPPD: *x\\n' >&2\n"
               "printf '%2047s' '' | tr ' ' x; echo 'PPD: DefaultPageSize=A5'\n"
               "printf 'no end of line'\n"
               "exit 3\n");
  const ProcessResult run = RunJob(user_->Name(), std::nullopt, "%!PS\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ERROR: job 42 for " + user_->Name()));
  EXPECT_THAT(run.err, HasSubstr("ended with status 3; no PDF was written"));
  EXPECT_THAT(run.err, HasSubstr("\nDEBUG: PPD: DefaultPageSize=Letter DefaultResolution=1dpi\n"));
  EXPECT_THAT(run.err, HasSubstr("\nDEBUG: ATTR: printer-alert-description=x PPD: *x\n"));
  EXPECT_THAT(run.err, HasSubstr("\nDEBUG: no end of line\n"));
  std::istringstream lines{run.err};
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.starts_with("ERROR: ") || line.starts_with("INFO: ") || line.starts_with("DEBUG: ")) << line;
    EXPECT_LT(line.size(), 1024U) << line.substr(0, 40);
    EXPECT_THAT(line, Not(HasSubstr("DefaultPageSize=A5"))) << "the end of an overlong line is dropped";
  }
}

TEST_F(BackendTest, ACancelledOrOverdueJobStopsItsProgram) {
  WriteProgram(Program(), kWaiter);
  const std::string job = "job 42 for " + user_->Name() + ": ";
  struct Case {
    std::string config;  // besides the program
    bool cancel;         // by the scheduler, once the program runs
    bool deaf;           // the program does not stop when asked
    std::string says;
    // From the cancellation, or from the start of the job when there is none.
    std::chrono::milliseconds least;
    std::chrono::milliseconds most;
  };
  const Case cases[] = {
      {"", true, false, "INFO: " + job + "cancelled; ", 0ms, 2000ms},
      {"time-limit=1\n", false, false, "ERROR: " + job + "stopped at the printer's time limit of 1 s; ", 1000ms,
       4000ms},
      {"", true, true, "INFO: " + job + "cancelled; the program ended by signal 9", 5000ms, 7000ms},
  };
  for (const Case& each : cases) {
    WriteConfig("program=" + Program().string() + "\n" + each.config);
    if (each.deaf) {
      WriteFileBytes(dir_ / "program/deaf", "");
    }
    fs::remove(user_->Home() / "started");
    fs::remove(user_->Home() / "stopped");
    auto start = std::chrono::steady_clock::now();
    BackgroundProcess backend{Command(user_->Name()), {}};
    ASSERT_TRUE(backend.Started());
    backend.CloseInput();
    if (each.cancel) {
      const auto deadline = std::chrono::steady_clock::now() + 20s;
      while (!fs::exists(user_->Home() / "started") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
      }
      start = std::chrono::steady_clock::now();
      backend.Signal(SIGTERM);  // how the scheduler cancels a job
    }
    ASSERT_TRUE(backend.Ended(20s)) << each.says;
    const auto took = std::chrono::steady_clock::now() - start;
    const ProcessResult run = backend.Wait();
    EXPECT_EQ(run.exitCode, 1) << each.says;
    EXPECT_THAT(run.err, HasSubstr(each.says));
    EXPECT_GE(took, each.least) << each.says;
    EXPECT_LT(took, each.most) << each.says;
    EXPECT_EQ(fs::exists(user_->Home() / "stopped"), !each.deaf) << each.says;
  }
}

TEST_F(BackendTest, ACancelledJobThatTheSessionIsTakingIsDroppedThere) {
  const fs::path runtimeRoot = dir_ / "run";
  fs::create_directories(runtimeRoot);
  AgentSetup setup;
  setup.program = SharedProgramCopy(dir_ / "shared", VELLUMOR_BINARY);
  setup.runtime = runtimeRoot / std::to_string(user_->Uid());
  setup.environment = {{"HOME", user_->Home().string()}, {"USER", user_->Name()}};
  setup.user = user_->Uid();
  setup.group = user_->Gid();
  std::string error;
  const std::unique_ptr<AgentProcess> agent = AgentProcess::StartListening(setup, error);
  ASSERT_NE(agent, nullptr) << error;

  ProcessOptions options;
  options.setEnvironment = {{"VELLUMOR_RUNTIME_ROOT", runtimeRoot.string()}};
  BackgroundProcess backend{Command(user_->Name()), options};
  // More than a pipe holds: once written, the session is reading the job, which never ends.
  backend.WriteInput("%!PS\n" + std::string(256 * 1024, '%') + "\n");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(backend.Signal(SIGTERM));
  ASSERT_TRUE(backend.Ended(20s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  // Nobody reads the job any more: the session let go of it too.
  pollfd writer{backend.InputDescriptor(), POLLOUT, 0};
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!(::poll(&writer, 1, 0) == 1 && (writer.revents & POLLERR) != 0) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_NE(writer.revents & POLLERR, 0);
  const ProcessResult run = backend.Wait();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("cancelled before it reached the desktop session; no PDF was written"));
  EXPECT_EQ(agent->ErrorOutput(), "") << "no program was started";
}

TEST_F(BackendTest, RootUnknownUsersAndUnprivilegedRunsAreRefused) {
  ProcessResult run = RunJob("root", std::nullopt);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ERROR: jobs printed as root are refused"));
  run = RunJob("no-such-user-here", std::nullopt);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ERROR: user \"no-such-user-here\" is not known"));
  EXPECT_FALSE(fs::exists(user_->Home() / "record.txt"));

  // Installed so that the scheduler runs it as "lp", it cannot become the user: it says so.
  fs::permissions(Backend(), kShared);
  run = user_->Run({Backend().string(), "42", user_->Name(), "Title", "1", ""}, {});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("must run as root"));
}

TEST_F(BackendTest, OnlyWhatOnlyRootCanChangeIsStarted) {
  // Each case changes one thing, which is put back after it.
  const fs::path userFolder = dir_ / "users";  // a folder of the user's, holding root's program
  fs::create_directories(userFolder / "bin");
  WriteProgram(userFolder / "bin/record", kRecorder);
  user_->Own(userFolder);
  ::chown((userFolder / "bin").c_str(), 0, 0);
  ::chown((userFolder / "bin/record").c_str(), 0, 0);
  fs::create_symlink(userFolder / "bin/record", dir_ / "program/into-users");
  fs::create_symlink("record", dir_ / "program/relative");
  fs::create_symlink(Program(), dir_ / "program/users-link");
  ::lchown((dir_ / "program/users-link").c_str(), user_->Uid(), user_->Gid());

  const auto groupWritable = [](const fs::path& path) {
    return [path](bool on) {
      fs::permissions(path, fs::perms::group_write, on ? fs::perm_options::add : fs::perm_options::remove);
    };
  };
  const auto otherWritable = [](const fs::path& path) {
    return [path](bool on) {
      fs::permissions(path, fs::perms::others_write, on ? fs::perm_options::add : fs::perm_options::remove);
    };
  };
  struct Case {
    std::string program;                  // as the configuration names it
    std::function<void(bool on)> change;  // made for the case, undone after it
    std::string refusal;                  // "" when the program is started
  };
  const std::string program = Program().string();
  const std::string changedByOthers = "can be changed by other users than root";
  const Case cases[] = {
      {program, otherWritable(Config()),
       "ignoring " + Config().string() + ": " + Config().string() + " " + changedByOthers},
      {program, groupWritable(Config()), "ignoring " + Config().string()},
      {program, groupWritable(dir_ / "backend"), (dir_ / "backend").string() + " " + changedByOthers},
      {program, groupWritable(Program()), "refusing to start " + program + ": " + program + " " + changedByOthers},
      {program, groupWritable(dir_ / "program"), (dir_ / "program").string() + " " + changedByOthers},
      {program, [&](bool on) { ::chown(Program().c_str(), on ? user_->Uid() : 0, 0); },
       program + " is not owned by root"},
      {(userFolder / "bin/record").string(), {}, userFolder.string() + " is not owned by root"},
      {(dir_ / "program/into-users").string(), {}, userFolder.string() + " is not owned by root"},
      {(dir_ / "program/users-link").string(), {}, "users-link is not owned by root"},
      {(dir_ / "program/relative").string(), {}, ""},
      {"record", {}, "is not an absolute path"},
  };
  for (const Case& each : cases) {
    WriteConfig("program=" + each.program + "\n");
    if (each.change) {
      each.change(true);
    }
    fs::remove(user_->Home() / "record.txt");
    const ProcessResult run = RunJob(user_->Name(), std::nullopt, "%!PS\n");
    if (each.change) {
      each.change(false);
    }
    if (each.refusal.empty()) {
      EXPECT_EQ(run.exitCode, 0) << each.program << run.err;
      EXPECT_TRUE(fs::exists(user_->Home() / "record.txt")) << each.program;
      continue;
    }
    EXPECT_EQ(run.exitCode, 1) << each.refusal;
    EXPECT_THAT(run.err, HasSubstr("ERROR: ")) << each.refusal;
    EXPECT_THAT(run.err, HasSubstr(each.refusal));
    EXPECT_FALSE(fs::exists(user_->Home() / "record.txt")) << each.refusal;
  }

  for (const std::string& setting :
       std::vector<std::string>{"programme=" + program, "time-limit=-1", "time-limit=1h", "time-limit=86401"}) {
    WriteConfig("program=" + program + "\n" + setting + "\n");
    const ProcessResult run = RunJob(user_->Name(), std::nullopt);
    EXPECT_EQ(run.exitCode, 1) << setting;
    EXPECT_THAT(run.err, HasSubstr(Config().string() + " line 2: ")) << setting;
  }
  EXPECT_FALSE(fs::exists(user_->Home() / "record.txt"));
}

TEST_F(BackendTest, TheFileBesideTheBackendCountsBeforeTheSystemConfiguration) {
  // The system's file as the package installs it, and one beside a backend installed from a build.
  const fs::path system = dir_ / "etc/backend.conf";
  fs::create_directories(system.parent_path());
  WriteFileBytes(system, "# installed\nprogram=" + Program().string() + "\ntime-limit=0\n");
  const fs::path beside = backend::ConfigurationFile(Backend());
  const fs::path other = dir_ / "program/other";
  WriteProgram(other, kRecorder);
  WriteConfig("program=" + other.string() + "\ntime-limit=5\n");

  backend::ProgramChoice choice = backend::ChooseProgram({beside, system}, "/nonexistent");
  EXPECT_EQ(choice.program, other);
  EXPECT_EQ(choice.timeLimit, std::optional{std::chrono::seconds{5}});
  fs::remove(beside);
  choice = backend::ChooseProgram({beside, system}, "/nonexistent");
  EXPECT_EQ(choice.program, Program());
  EXPECT_EQ(choice.timeLimit, std::nullopt) << "0 is no limit";
  fs::remove(system);
  choice = backend::ChooseProgram({beside, system}, Program());
  EXPECT_EQ(choice.program, Program());
  EXPECT_EQ(choice.timeLimit, std::optional{std::chrono::seconds{600}}) << "the printer's default";
  EXPECT_THAT(backend::ChooseProgram({beside, system}, "/nonexistent").error, HasSubstr("/nonexistent does not exist"));
}

}  // namespace
}  // namespace vellumor::test
