#pragma once
// This user's own jobs that write the same file take turns through a lock file kept in the
// user's private temporary folder. Nobody else can open it, so nobody else can hold those jobs
// up with it, as anyone who may read a file can with a lock on the file itself. Jobs of other
// users, which have other folders, are kept in order by the lock on the file (OutputTarget).

#include <filesystem>
#include <memory>

#include "platform/Cancellation.h"

namespace vellumor::platform {

class WritingTurn final {
 public:
  enum class Outcome {
    Taken,
    Cancelled,    // a cancellation arrived while another job had the turn
    Unavailable,  // no lock file could be made, or the system needs none (the job goes on without)
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
  WritingTurn(std::filesystem::path path, int fd) : path_{std::move(path)}, fd_{fd} {}
  std::filesystem::path path_;
  int fd_;
};

// Removes the lock files that jobs killed during their turn left in `privateFolder`: empty files of
// this user with exactly the names turns take, which no job holds.
void RemoveAbandonedTurns(const std::filesystem::path& privateFolder);

}  // namespace vellumor::platform
