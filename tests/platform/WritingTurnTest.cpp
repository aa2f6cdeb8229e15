// Jobs of one user writing the same file, as separate processes: one at a time, a waiting one
// ends on a cancellation, and a turn whose job was killed is cleared away.

#include "platform/WritingTurn.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using ::testing::IsEmpty;

// Takes the turn at `target` in a child process, which says "1" (taken), "c" (cancelled) or
// "u" (unavailable) and then waits to be killed.
class Taker final {
 public:
  Taker(const std::filesystem::path& folder, const std::filesystem::path& target) {
    int ready[2];
    ::pipe(ready);
    ::pipe(result_);
    pid_ = ::fork();
    if (pid_ == 0) {
      const std::unique_ptr<Cancellation> cancellation = Cancellation::Watch();
      [[maybe_unused]] ssize_t written = ::write(ready[1], "r", 1);
      WritingTurn::Outcome outcome{};
      const std::unique_ptr<WritingTurn> turn = WritingTurn::Take(folder, target, cancellation.get(), outcome);
      const char said = outcome == WritingTurn::Outcome::Taken       ? '1'
                        : outcome == WritingTurn::Outcome::Cancelled ? 'c'
                                                                     : 'u';
      written = ::write(result_[1], &said, 1);
      ::pause();
      ::_exit(0);
    }
    char ignored;
    [[maybe_unused]] const ssize_t got = ::read(ready[0], &ignored, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(result_[1]);
  }
  ~Taker() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    ::close(result_[0]);
  }
  char Outcome() {
    char said = '?';
    [[maybe_unused]] const ssize_t got = ::read(result_[0], &said, 1);
    return said;
  }
  void Signal(int number) { ::kill(pid_, number); }

 private:
  pid_t pid_{-1};
  int result_[2]{-1, -1};
};

TEST(WritingTurnTest, OneJobAtATimeWritesAFile) {
  test::TempDir dir;
  const std::filesystem::path temp = dir / "tmp";
  std::filesystem::create_directories(temp);
  std::filesystem::create_directories(dir / "out");
  WritingTurn::Outcome outcome{};
  std::unique_ptr<WritingTurn> turn = WritingTurn::Take(temp, dir / "out/Report.pdf", nullptr, outcome);
  ASSERT_EQ(outcome, WritingTurn::Outcome::Taken);
  const std::vector<std::string> reportLock = test::NamesIn(temp);
  {
    // The same file by another spelling waits, until a cancellation ends the wait.
    Taker waiting{temp, dir / "out/../out/./Report.pdf"};
    waiting.Signal(SIGTERM);
    EXPECT_EQ(waiting.Outcome(), 'c');
    // Another file is not held up; its job is killed during its turn.
    Taker other{temp, dir / "out/Summary.pdf"};
    EXPECT_EQ(other.Outcome(), '1');
  }
  EXPECT_EQ(test::NamesIn(temp).size(), 2u);
  turn.reset();
  EXPECT_EQ(test::NamesIn(temp).size(), 1u);

  // The killed job's lock file goes once nobody holds it; a held one stays.
  Taker living{temp, dir / "out/Report.pdf"};
  ASSERT_EQ(living.Outcome(), '1');
  RemoveAbandonedTurns(temp);
  EXPECT_EQ(test::NamesIn(temp), reportLock);
}

}  // namespace
}  // namespace vellumor::platform
