#pragma once
// The file at the name a job writes to, looked at without following a link and, when it is a
// file this user may replace, held until released: every job that replaces or appends to a file
// holds it first, so two jobs never replace the same file at once and an append reads the file it
// is about to replace. How it is held is the system's:
//
// * POSIX: a write lock on the file itself. The lock needs the file open for writing, so only the
//   file's writers can hold it; a read lock, which anyone who may read the file can take, is never
//   waited for (no job takes one). Then the file is held open without the lock.
// * Windows: a named mutex of the user's session, one per output path, which leaves the file free
//   for the engine to read and for the finished PDF to replace; the system releases it when a job
//   dies.
//
// Either way a job checks with Unchanged() that nobody replaced the file before it replaces it.

#include <filesystem>
#include <string>

#include "platform/Cancellation.h"
#include "platform/SystemHandle.h"

namespace vellumor::platform {

class OutputTarget final {
 public:
  enum class State {
    Missing,       // nothing has that name (on Windows the turn at the name is held all the same)
    Locked,        // a regular file, held (on POSIX unless only a reader's lock was in the way)
    SymbolicLink,  // a symbolic link has the name; it was not followed
    Protected,     // a file without write permission for this user, or write-protected (no write bit)
    Unusable,      // a folder, a device, or the name could not be looked at; see Error()
    Cancelled,     // a cancellation arrived while waiting for another job's lock
  };

  // Waits while another job holds the file. The file found is the one held: when its name moved
  // to another file meanwhile, the new one is held instead.
  static OutputTarget Open(const std::filesystem::path& path, const Cancellation* cancellation);
  OutputTarget(OutputTarget&&) noexcept = default;
  OutputTarget& operator=(OutputTarget&&) = delete;
  // Releases the file.
  ~OutputTarget();

  State Status() const { return state_; }
  // The system's reason when Unusable.
  const std::string& Error() const { return error_; }
  // Locked: the file's permission bits, owner and group (POSIX; 0 on Windows, where the file's
  // access list stays with it when it is replaced).
  unsigned Mode() const { return mode_; }
  unsigned Owner() const { return owner_; }
  unsigned Group() const { return group_; }
  // Locked: a name through which exactly the held file is read, whatever happens to its name
  // meanwhile; also by the processes this one starts, while this one holds the file (on Windows
  // the name itself: jobs touch the file only while they hold it).
  std::filesystem::path ReadablePath() const;
  // Locked: the name still leads to the file as it was when it was held, unwritten since.
  bool Unchanged() const;
  // Lets go of the file: closes it (POSIX) or releases the mutex (Windows).
  void Release();

  // The held file's identity and last change, as Unchanged() compares them.
  struct Version {
    unsigned long long device{0};
    unsigned long long inode{0};
    long long size{0};
    long long modifiedSeconds{0};
    long long modifiedNanoseconds{0};
    bool operator==(const Version&) const = default;
  };

 private:
  explicit OutputTarget(State state) : state_{state} {}
  State state_;
  SystemHandle hold_;  // the locked file (POSIX) or the output's mutex (Windows)
  unsigned mode_{0};
  unsigned owner_{0};
  unsigned group_{0};
  std::string error_;
  std::filesystem::path path_;  // the name looked at
  Version version_;
};

}  // namespace vellumor::platform
