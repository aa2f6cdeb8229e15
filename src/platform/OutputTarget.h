#pragma once
// The file at the name a job writes to, looked at without following a link and, when it is a
// file this user may replace, held open under a write lock until released. Every job that
// replaces or appends to a file takes this lock first, so two jobs never replace the same file
// at once and an append always reads the file it is about to replace. The lock (an open file
// description lock) needs the file open for writing: a user who may only read the folder or
// the file cannot take it and hold everybody's jobs up.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Cancellation.h"

namespace vellumor::platform {

class OutputTarget final {
 public:
  enum class State {
    Missing,       // nothing has that name
    Locked,        // a regular file, open and locked
    SymbolicLink,  // a symbolic link has the name; it was not followed
    Protected,     // a file without write permission for this user, or write-protected (no write bit)
    Unusable,      // a folder, a device, or the name could not be looked at; see Error()
    Cancelled,     // a cancellation arrived while waiting for another job's lock
  };

  // Waits while another job holds the lock. The file found is the one locked: when its name
  // moved to another file meanwhile, the new one is locked instead.
  static OutputTarget Open(const std::filesystem::path& path, const Cancellation* cancellation);
  OutputTarget(OutputTarget&& other) noexcept;
  OutputTarget& operator=(OutputTarget&& other) noexcept;
  ~OutputTarget();

  State Status() const { return state_; }
  // The system's reason when Unusable.
  const std::string& Error() const { return error_; }
  // Locked: the file's permission bits, owner and group.
  unsigned Mode() const { return mode_; }
  unsigned Owner() const { return owner_; }
  unsigned Group() const { return group_; }
  // Locked: a name through which exactly the locked file is read, whatever happens to its name
  // meanwhile.
  std::filesystem::path ReadablePath() const;
  // Closes the file, which ends the lock.
  void Release();

 private:
  explicit OutputTarget(State state) : state_{state} {}
  State state_;
  int fd_{-1};
  unsigned mode_{0};
  unsigned owner_{0};
  unsigned group_{0};
  std::string error_;
  std::filesystem::path path_;  // the name looked at
};

}  // namespace vellumor::platform
