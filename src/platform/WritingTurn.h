#pragma once
// This user's own jobs that write the same file take turns. Everybody's jobs already take turns
// through the output target (OutputTarget.h); on POSIX systems that is a lock on the file itself,
// which anyone who may read the file could hold the jobs up with, so a user's own jobs take their
// turns through a lock file kept in the user's private temporary folder, which nobody else can
// open. On Windows the output target's turn is a named mutex of the user's session already, which
// nobody else can hold: no second turn is needed, and Take answers Unavailable.

#include <filesystem>
#include <memory>

#include "platform/Cancellation.h"
#include "platform/SystemHandle.h"

namespace vellumor::platform {

class WritingTurn final {
 public:
  enum class Outcome {
    Taken,
    Cancelled,    // a cancellation arrived while another job had the turn
    Unavailable,  // no lock file could be made, or the system needs none (Windows): the job goes on
                  // with the output target's turn alone
  };

  // Waits while another job of this user has the turn at writing `target` (looked at by its
  // folder's identity and its name, so every spelling of the path shares one turn).
  static std::unique_ptr<WritingTurn> Take(const std::filesystem::path& privateFolder,
                                           const std::filesystem::path& target, const Cancellation* cancellation,
                                           Outcome& outcome);
  // Ends the turn; the lock file goes with it.
  ~WritingTurn();
  WritingTurn(const WritingTurn&) = delete;
  WritingTurn& operator=(const WritingTurn&) = delete;

 private:
  WritingTurn(std::filesystem::path path, SystemHandle lock) : path_{std::move(path)}, lock_{std::move(lock)} {}
  std::filesystem::path path_;
  SystemHandle lock_;
};

// Removes the lock files that jobs killed during their turn left in `privateFolder`: empty files of
// this user with exactly the names turns take, which no job holds (none on Windows).
void RemoveAbandonedTurns(const std::filesystem::path& privateFolder);

}  // namespace vellumor::platform
