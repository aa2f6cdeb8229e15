// The printer's port program, run the way the scheduler runs it (as root, with the job's
// arguments), starting a recording stand-in for the vellumor program named in its configuration.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "backend/ProgramChoice.h"
#include "printer/support/TestUser.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace vellumor::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

// Writes what it was started with into the user's home and exits with the status in the file
// "status" beside it.
constexpr std::string_view kRecorder =
    "#!/bin/sh\n"
    "{ echo \"ids=$(id -u) $(id -g) $(id -G)\"; echo \"cwd=$(pwd)\"; for a in \"$@\"; do echo \"arg=$a\"; done;\n"
    "  env | sort; } > \"$HOME/record.txt\"\n"
    "cat > \"$HOME/input.ps\"\n"
    "exec sleep \"$(cat \"$(dirname \"$0\")/sleep\" 2>/dev/null || echo 0)\"\n";

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
    WriteFileBytes(Program(), kRecorder);
    fs::permissions(Program(), kShared);
    WriteConfig("# chosen by the test\nprogram=" + Program().string() + "\n");
    std::string error;
    user_ = TestUser::Create(dir_ / "home", error);
    ASSERT_NE(user_, nullptr) << error;
  }

  fs::path Backend() const { return dir_ / "backend/vellumor"; }
  fs::path Program() const { return dir_ / "program/record"; }
  void WriteConfig(std::string_view text) const {
    WriteFileBytes(dir_ / "backend/vellumor.conf", text);
    fs::permissions(dir_ / "backend/vellumor.conf",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  }
  ProcessResult RunJob(const std::string& user, std::optional<fs::path> file, const std::string& input = "",
                       const std::string& jobOptions = "job-uuid=x") const {
    ProcessOptions options;
    options.setEnvironment = {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"SCHEDULER_SECRET", "1"}};
    options.stdinText = input;
    std::vector<std::string> command{Backend().string(), "42", user, "My Report.txt", "1", jobOptions};
    if (file) {
      command.push_back(file->string());
    }
    return RunProcess(command, options);
  }
  std::string Record() const { return ReadFileBytes(user_->Home() / "record.txt"); }

  TempDir dir_;
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

TEST_F(BackendTest, TheJobFailsUnlessTheProgramSucceeds) {
  WriteFileBytes(Program(), "#!/bin/sh\ncat > /dev/null\nexit 3\n");
  const ProcessResult run = RunJob(user_->Name(), std::nullopt, "%!PS\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ERROR: job 42 for " + user_->Name()));
  EXPECT_THAT(run.err, HasSubstr("ended with status 3; no PDF was written"));
}

TEST_F(BackendTest, CancellingTheJobStopsTheProgram) {
  WriteFileBytes(dir_ / "program/sleep", "30");
  const auto start = std::chrono::steady_clock::now();
  // The scheduler cancels a job by terminating its backend.
  const ProcessResult run = RunProcess(
      {"timeout", "--preserve-status", "-s", "TERM", "1", Backend().string(), "42", user_->Name(), "Long", "1", ""});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds{15});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ended by signal 15"));
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

TEST_F(BackendTest, OnlyRootCanChooseTheProgram) {
  // A configuration others can write is ignored, and no program runs.
  fs::permissions(dir_ / "backend/vellumor.conf", fs::perms::others_write, fs::perm_options::add);
  ProcessResult run = RunJob(user_->Name(), std::nullopt);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("ERROR: ignoring " + (dir_ / "backend/vellumor.conf").string()));
  EXPECT_FALSE(fs::exists(user_->Home() / "record.txt"));

  // A program a user owns could be swapped for anything, to run in other users' jobs.
  WriteConfig("program=" + Program().string() + "\n");
  user_->Own(Program());
  run = RunJob(user_->Name(), std::nullopt);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("is not owned by root"));

  WriteConfig("program=record\n");
  EXPECT_THAT(RunJob(user_->Name(), std::nullopt).err, HasSubstr("is not an absolute path"));
  WriteConfig("programme=" + Program().string() + "\n");
  EXPECT_THAT(RunJob(user_->Name(), std::nullopt).err, HasSubstr("unknown setting"));
  EXPECT_FALSE(fs::exists(user_->Home() / "record.txt"));
}

TEST_F(BackendTest, TheFileBesideTheBackendCountsBeforeTheSystemConfiguration) {
  // The system's file as the package installs it, and one beside a backend installed from a build.
  const fs::path system = dir_ / "etc/backend.conf";
  fs::create_directories(system.parent_path());
  WriteFileBytes(system, "# installed\nprogram=" + Program().string() + "\n");
  const fs::path beside = backend::ConfigurationFile(Backend());
  const fs::path other = dir_ / "program/other";
  WriteFileBytes(other, kRecorder);
  fs::permissions(other, kShared);
  WriteConfig("program=" + other.string() + "\n");

  EXPECT_EQ(backend::ChooseProgram({beside, system}, "/nonexistent").program, other);
  fs::remove(beside);
  EXPECT_EQ(backend::ChooseProgram({beside, system}, "/nonexistent").program, Program());
  fs::remove(system);
  EXPECT_EQ(backend::ChooseProgram({beside, system}, Program()).program, Program());
  EXPECT_THAT(backend::ChooseProgram({beside, system}, "/nonexistent").error, HasSubstr("/nonexistent does not exist"));
}

}  // namespace
}  // namespace vellumor::test
