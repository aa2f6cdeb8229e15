#pragma once
// The file at the name a job writes to, looked at without following a link and, when it is a
// file this user may replace, held open under a write lock until released. Every job that
// replaces or appends to a file takes this lock first, so two jobs never replace the same file
// at once and an append reads the file it is about to replace. The lock needs the file open for
// writing, so only the file's writers can hold it; a read lock, which anyone who may read the
// file can hold, is never waited for (no job takes one). Then the file is held open without
// the lock, and a job checks with Unchanged() that nobody replaced it before it replaces it.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Cancellation.h"

namespace vellumor::platform {

class OutputTarget final {
 public:
  enum class State {
    Missing,       // nothing has that name
    Locked,        // a regular file, held open and locked (unless only a reader's lock was in the way)
    SymbolicLink,  // a symbolic link has the name; it was not followed
    Protected,     // a file without write permission for this user, or write-protected (no write bit)
    Unusable,      // a folder, a device, or the name could not be looked at; see Error()
    Cancelled,     // a cancellation arrived while waiting for another job's lock
  };

  // Waits while another job holds the lock. The file found is the one held: when its name
  // moved to another file meanwhile, the new one is held instead.
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
  // meanwhile; also by the processes this one starts, while this one holds the file.
  std::filesystem::path ReadablePath() const;
  // Locked: the name still leads to the file as it was when it was held, unwritten since.
  bool Unchanged() const;
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
  // The held file's identity and last change, as Unchanged() compares them.
  struct Version {
    unsigned long long device{0};
    unsigned long long inode{0};
    long long size{0};
    long long modifiedSeconds{0};
    long long modifiedNanoseconds{0};
    bool operator==(const Version&) const = default;
  };
  Version version_;
#ifdef _WIN32
  static std::optional<Version> VersionOf(void* file);
#endif
};

}  // namespace vellumor::platform
