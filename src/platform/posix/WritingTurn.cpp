#include "platform/WritingTurn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "platform/posix/FileLock.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "turn-";
constexpr std::string_view kExtension = ".lock";

// "turn-<16 hex digits>.lock" for the folder the target is in and the target's name; nothing
// when the folder cannot be looked at (the job then fails on its own account).
std::optional<std::string> LockName(const fs::path& target) {
  struct stat folder {};
  const fs::path parent = target.parent_path().empty() ? fs::path{"."} : target.parent_path();
  if (::stat(parent.c_str(), &folder) != 0) {
    return std::nullopt;
  }
  // Two names that meet on one number only take turns they need not take.
  const std::string folderKey = std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino) + ":";
  const std::uint64_t hash =
      base::Fnv1a(std::string_view{target.filename().string()}, base::Fnv1a(std::string_view{folderKey}));
  constexpr char kDigits[] = "0123456789abcdef";
  std::string name{kPrefix};
  for (int shift = 60; shift >= 0; shift -= 4) {
    name += kDigits[(hash >> shift) & 0xF];
  }
  return name + std::string{kExtension};
}

// Exactly the names LockName gives.
bool IsLockName(std::string_view name) {
  if (name.size() != kPrefix.size() + 16 + kExtension.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kExtension)) {
    return false;
  }
  return name.substr(kPrefix.size(), 16).find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

std::unique_ptr<WritingTurn> WritingTurn::Take(const fs::path& privateFolder, const fs::path& target,
                                               const Cancellation* cancellation, Outcome& outcome) {
  outcome = Outcome::Unavailable;
  const std::optional<std::string> name = LockName(target);
  if (!name) {
    return nullptr;
  }
  const fs::path path = privateFolder / *name;
  int pause = 2;
  // The job that ends its turn removes the lock file before it lets go of it: a job that was
  // waiting on the removed file finds that out afterwards and takes the turn anew.
  for (int attempt = 0; attempt < 100; ++attempt) {
    OwnedFile lock{::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (!lock.Valid()) {
      return nullptr;
    }
    bool locked = file_lock::TryLockForWriting(lock.Get());
    while (!locked && errno == EAGAIN) {
      if (!PauseUnlessCancelled(cancellation, pause)) {
        outcome = Outcome::Cancelled;
        return nullptr;
      }
      pause = file_lock::NextPause(pause);
      locked = file_lock::TryLockForWriting(lock.Get());
    }
    if (locked && file_lock::StillNamed(lock.Get(), path)) {
      outcome = Outcome::Taken;
      return std::unique_ptr<WritingTurn>{new WritingTurn{path, std::move(lock)}};
    }
    if (!locked) {
      return nullptr;
    }
  }
  return nullptr;
}

// The lock file goes before the lock: a job waiting on it finds it gone once it has the lock.
WritingTurn::~WritingTurn() {
  ::unlink(path_.c_str());
}

void RemoveAbandonedTurns(const fs::path& privateFolder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(privateFolder, error)) {
    if (!IsLockName(entry.path().filename().string())) {
      continue;
    }
    // A lock file nobody holds belongs to no job: one that opened it and waits for the lock
    // finds it gone once it has it, and makes another. Lock files stay empty; anything else of
    // that name is not one.
    const OwnedFile lock{::open(entry.path().c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    if (!lock.Valid()) {
      continue;
    }
    struct stat info {};
    const bool lockFile = ::fstat(lock.Get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
                          info.st_size == 0;
    if (lockFile && file_lock::TryLockForWriting(lock.Get()) && file_lock::StillNamed(lock.Get(), entry.path())) {
      ::unlink(entry.path().c_str());
    }
  }
}

}  // namespace vellumor::platform
