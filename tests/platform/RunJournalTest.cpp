// Runs that die without cleaning up, as separate processes: what their journals name is removed
// by the next run, and nothing of a living run is touched.

#include "platform/RunJournal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "platform/StagedFile.h"
#include "platform/TempFolder.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A run in a child process: `body` creates its files, then the run ends without any clean-up,
// when the test releases it or kills it.
class ChildRun final {
 public:
  explicit ChildRun(const std::function<void()>& body) {
    // Bytes, not the ends of the pipes, carry the news: other children inherit these ends.
    int ready[2];
    ::pipe(ready);
    ::pipe(release_);
    pid_ = ::fork();
    if (pid_ == 0) {
      body();
      [[maybe_unused]] const ssize_t written = ::write(ready[1], "1", 1);
      char ignored;
      [[maybe_unused]] const ssize_t got = ::read(release_[0], &ignored, 1);
      ::_exit(0);  // no destructor runs: the journal and the files stay
    }
    char ignored;
    [[maybe_unused]] const ssize_t got = ::read(ready[0], &ignored, 1);
    ::close(ready[0]);
    ::close(ready[1]);
  }
  // A run with its journal in `temp`.
  ChildRun(const std::filesystem::path& temp, const std::function<void(RunJournal&, const TempFolder&)>& body)
      : ChildRun([&] {
          std::string error;
          const std::optional<TempFolder> folder = TempFolder::At(temp, error);
          RunJournal* journal = RunJournal::Start(temp).release();  // never ended, as in a killed run
          if (journal != nullptr && folder) {
            body(*journal, *folder);
          }
        }) {}
  ~ChildRun() { End(); }
  void End() { Stop(false); }
  void Kill() { Stop(true); }

 private:
  void Stop(bool kill) {
    if (pid_ > 0) {
      if (kill) {
        ::kill(pid_, SIGKILL);
      }
      [[maybe_unused]] const ssize_t written = ::write(release_[1], "1", 1);
      ::waitpid(pid_, nullptr, 0);
      ::close(release_[0]);
      ::close(release_[1]);
      pid_ = -1;
    }
  }

  pid_t pid_{-1};
  int release_[2]{-1, -1};
};

class RunJournalTest : public ::testing::Test {
 protected:
  RunJournalTest() {
    std::filesystem::create_directories(temp);
    std::filesystem::create_directories(output);
    test::WriteFileBytes(temp / "Sheafwright.vsf", "the sibling's settings");
    test::WriteFileBytes(output / "Report.pdf", "the user's PDF");
  }

  // Everything a conversion creates: a reservation with its job file, an engine output in
  // the user's folder and a folder of the engine's scratch files.
  std::function<void(RunJournal&, const TempFolder&)> Conversion() const {
    return [this](RunJournal& journal, const TempFolder& folder) {
      const std::optional<std::filesystem::path> reserved = folder.Reserve("vlm", &journal);
      TempFolder::WriteNewFile(reserved->string() + ".ps", "%!PS", &journal);
      std::string error;
      std::optional<StagedFile> staged = StagedFile::Create(output, journal.Tag(), ".pdf", error, &journal);
      test::WriteFileBytes(staged->Path(), "%PDF- half written");
      new StagedFile{std::move(*staged)};  // never destroyed, as in a killed run
      const std::filesystem::path scratch = journal.OwnFolder("gs");
      journal.WillCreate(scratch);
      std::filesystem::create_directory(scratch);
      journal.Created(scratch);
      test::WriteFileBytes(scratch / "gs_scratch", "scratch");
    };
  }

  test::TempDir dir;
  std::filesystem::path temp{dir / "tmp"};
  std::filesystem::path output{dir / "out"};
};

TEST_F(RunJournalTest, ADeadRunsFilesAreRemovedAndALivingRunsAreNot) {
  ChildRun living{temp, Conversion()};
  const std::vector<std::string> livingFiles = test::NamesIn(temp);
  {
    ChildRun dead{temp, Conversion()};
    dead.End();
  }
  EXPECT_EQ(test::NamesIn(output).size(), 3u);

  RepairDeadRuns(temp);
  EXPECT_EQ(test::NamesIn(temp), livingFiles);
  EXPECT_EQ(test::NamesIn(output).size(), 2u);

  living.End();
  RepairDeadRuns(temp);
  EXPECT_THAT(test::NamesIn(temp), ElementsAre("Sheafwright.vsf"));
  EXPECT_THAT(test::NamesIn(output), ElementsAre("Report.pdf"));
}

// The sweep goes by what a journal names and the identity it wrote down, never by the look of a
// name: with the temporary folder in the home folder, the user's own files that look like a
// run's stay, and so does what took the place of a file a run made.
TEST_F(RunJournalTest, OnlyWhatADeadRunMadeIsRemoved) {
  const std::filesystem::path home = temp;
  std::filesystem::create_directory(home / "vlm-thesis");
  test::WriteFileBytes(home / "vlm-thesis/chapter1.txt", "the user's thesis");
  test::WriteFileBytes(home / "vlmnotes.txt", "the user's notes");
  test::WriteFileBytes(home / "vlm1.tmp", "the user's, with a reservation's name");
  test::WriteFileBytes(home / "vlm0badc0de.run", "the user's, with a journal's name");
  test::WriteFileBytes(home / "turn-0123456789abcdef.lock", "the user's, with a turn's name");
  std::filesystem::create_directory(home / "vlmempty");
  const std::vector<std::string> users = test::NamesIn(home);
  ChildRun dead{temp, [&](RunJournal& journal, const TempFolder& folder) {
                  Conversion()(journal, folder);
                  // Names it was about to create when it was killed: what stands there now, unless
                  // it is empty, is not its.
                  for (const char* name : {"vlmnotes.txt", "vlm-thesis", "vlm1.tmp", "vlm-killed.tmp"}) {
                    journal.WillCreate(home / name);
                  }
                  test::WriteFileBytes(home / "vlm-killed.tmp", "");
                  journal.WillCreate(home / "vlmreused");
                  test::WriteFileBytes(home / "vlmreused", "");
                  journal.Created(home / "vlmreused");
                }};
  dead.End();
  // A file it made, moved away by the user, who gave the name to a file of their own.
  std::filesystem::rename(home / "vlmreused", home / "moved");
  test::WriteFileBytes(home / "vlmreused", "the user's, made after the run's went");

  RepairDeadRuns(temp);
  std::vector<std::string> kept = users;
  kept.push_back("moved");
  kept.push_back("vlmreused");
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(test::NamesIn(home), kept);
  EXPECT_EQ(test::ReadFileBytes(home / "vlm-thesis/chapter1.txt"), "the user's thesis");
  EXPECT_EQ(test::ReadFileBytes(home / "vlmnotes.txt"), "the user's notes");
  EXPECT_THAT(test::NamesIn(output), ElementsAre("Report.pdf"));
}

// A run killed between creating a file and writing down its identity left an empty file at a
// name it had announced; while a living run names that same path, it stays.
TEST_F(RunJournalTest, AFileWhoseIdentityWasNeverWrittenDownIsFoundWhileEmpty) {
  const auto unnamed = [this](RunJournal& journal, const TempFolder&) {
    journal.WillCreate(temp / "vlmA.tmp");
    test::WriteFileBytes(temp / "vlmA.tmp", "");
    journal.WillCreate(temp / "vlmA.gs");
    std::filesystem::create_directory(temp / "vlmA.gs");
  };
  ChildRun dead{temp, unnamed};
  dead.End();
  {
    ChildRun living{temp, [this](RunJournal& journal, const TempFolder&) { journal.WillCreate(temp / "vlmA.tmp"); }};
    RepairDeadRuns(temp);
    EXPECT_THAT(test::NamesIn(temp), ::testing::Contains("vlmA.tmp"));
    EXPECT_THAT(test::NamesIn(temp), ::testing::Not(::testing::Contains("vlmA.gs")));
  }
  ChildRun again{temp, unnamed};
  again.End();
  RepairDeadRuns(temp);
  EXPECT_THAT(test::NamesIn(temp), ElementsAre("Sheafwright.vsf"));
}

TEST_F(RunJournalTest, ARunThatEndsNormallyRemovesItsJournal) {
  std::unique_ptr<RunJournal> journal = RunJournal::Start(temp);
  ASSERT_NE(journal, nullptr);
  EXPECT_EQ(test::NamesIn(temp).size(), 2u);
  // Its own journal is a living one: a repair leaves it alone.
  RepairDeadRuns(temp);
  EXPECT_EQ(test::NamesIn(temp).size(), 2u);
  journal.reset();
  EXPECT_THAT(test::NamesIn(temp), ElementsAre("Sheafwright.vsf"));
}

// Runs that found the default folder taken made folders of their own beside it. A killed run's
// folder goes, with the partial output its journal names; nothing else that looks alike does.
TEST_F(RunJournalTest, TheFolderOfAKilledRunIsRemoved) {
  const std::filesystem::path shared = dir / "shared";
  const std::filesystem::path taken = shared / "vellumor-7";
  std::filesystem::create_directory(shared);
  test::WriteFileBytes(taken, "someone else's");
  const auto run = [&] {
    std::string error;
    std::vector<std::string> notices;
    auto* folder = new std::optional<TempFolder>{TempFolder::Open(taken, error, notices)};  // as in a killed run
    RunJournal* journal = RunJournal::Start((*folder)->Path()).release();
    journal->Created((*folder)->Path());
    Conversion()(*journal, **folder);
  };
  ChildRun living{run};
  const std::vector<std::string> before = test::NamesIn(shared);
  ChildRun killed{run};
  killed.Kill();
  ASSERT_EQ(test::NamesIn(shared).size(), 3u);
  ASSERT_EQ(test::NamesIn(output).size(), 3u);
  // Alike, but not a run's: a link, a name of another length, another user's folder, the user's
  // own folder of that shape with something in it, and one without a journal naming it.
  std::filesystem::create_directory_symlink(temp, shared / "vellumor-7-Linked");
  std::filesystem::create_directory(shared / "vellumor-7-Short");
  std::filesystem::create_directory(shared / "vellumor-7-Nobody");
  ::chown((shared / "vellumor-7-Nobody").c_str(), 65534, 65534);
  std::filesystem::create_directory(shared / "vellumor-7-thesis");
  test::WriteFileBytes(shared / "vellumor-7-thesis/chapter1.txt", "the user's");
  std::filesystem::create_directory(shared / "vellumor-7-Unseen");
  std::vector<std::string> kept = before;
  for (const char* name :
       {"vellumor-7-Linked", "vellumor-7-Short", "vellumor-7-Nobody", "vellumor-7-thesis", "vellumor-7-Unseen"}) {
    kept.push_back(name);
  }
  std::sort(kept.begin(), kept.end());

  RepairDeadRunFolders(taken);
  EXPECT_EQ(test::NamesIn(shared), kept);
  EXPECT_EQ(test::NamesIn(output).size(), 2u);
  EXPECT_THAT(test::NamesIn(temp), ElementsAre("Sheafwright.vsf")) << "the link was followed";
  EXPECT_THAT(test::NamesIn(shared / "vellumor-7-thesis"), ElementsAre("chapter1.txt"));

  living.Kill();
  RepairDeadRunFolders(taken);
  EXPECT_THAT(test::NamesIn(shared), ElementsAre("vellumor-7", "vellumor-7-Linked", "vellumor-7-Nobody",
                                                 "vellumor-7-Short", "vellumor-7-Unseen", "vellumor-7-thesis"));
  EXPECT_THAT(test::NamesIn(output), ElementsAre("Report.pdf"));
}

}  // namespace
}  // namespace vellumor::platform
