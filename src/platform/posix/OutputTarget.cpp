#include "platform/OutputTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/FileLock.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

enum class Hold { Locked, Unlocked, Cancelled, Failed };

// Waits while another job holds the write lock on the whole file; a read lock in the way is
// someone else's, not waited for (Unlocked). Failed with errno set.
Hold LockForWriting(int fd, const Cancellation* cancellation) {
  int pause = 2;
  for (;;) {
    if (file_lock::TryLockForWriting(fd)) {
      return Hold::Locked;
    }
    if (errno != EAGAIN) {
      return Hold::Failed;
    }
    const short inTheWay = file_lock::LockInTheWay(fd);
    if (inTheWay == F_RDLCK) {
      return Hold::Unlocked;
    }
    if (inTheWay == F_WRLCK) {
      if (!PauseUnlessCancelled(cancellation, pause)) {
        return Hold::Cancelled;
      }
      pause = file_lock::NextPause(pause);
    }
  }
}

}  // namespace

OutputTarget OutputTarget::Open(const std::filesystem::path& path, const Cancellation* cancellation) {
  // Another job may replace the file between the look and the lock; the lock is only good for
  // the file that still has the name afterwards.
  for (int attempt = 0; attempt < 100; ++attempt) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0) {
      if (errno == ENOENT) {
        return OutputTarget{State::Missing};
      }
      OutputTarget target{State::Unusable};
      target.error_ = std::strerror(errno);
      return target;
    }
    if (S_ISLNK(named.st_mode)) {
      return OutputTarget{State::SymbolicLink};
    }
    if (!S_ISREG(named.st_mode)) {
      OutputTarget target{State::Unusable};
      target.error_ = "not a regular file";
      return target;
    }
    // A file nobody may write (mode 0444) is write-protected on purpose, also for root.
    if ((named.st_mode & 0222) == 0) {
      return OutputTarget{State::Protected};
    }
    OwnedFile file{::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    if (!file.Valid()) {
      if (errno == ENOENT) {
        continue;
      }
      if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY) {
        return OutputTarget{State::Protected};
      }
      if (errno == ELOOP) {
        return OutputTarget{State::SymbolicLink};
      }
      OutputTarget target{State::Unusable};
      target.error_ = std::strerror(errno);
      return target;
    }
    const int fd = file.Get();
    OutputTarget target{State::Locked};
    target.hold_ = std::move(file);
    const Hold hold = LockForWriting(fd, cancellation);
    if (hold == Hold::Cancelled || hold == Hold::Failed) {
      const int error = errno;
      target.Release();
      target.state_ = hold == Hold::Cancelled ? State::Cancelled : State::Unusable;
      target.error_ = hold == Hold::Cancelled ? "cancelled" : std::strerror(error);
      return target;
    }
    struct stat held {};
    struct stat now {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::lstat(path.c_str(), &now) == 0 && SameFile(held, now)) {
      target.mode_ = held.st_mode & 0777;
      target.owner_ = held.st_uid;
      target.group_ = held.st_gid;
      target.path_ = path;
      target.version_ = {held.st_dev, held.st_ino, held.st_size, held.st_mtim.tv_sec, held.st_mtim.tv_nsec};
      return target;
    }
  }
  OutputTarget target{State::Unusable};
  target.error_ = "the file kept changing";
  return target;
}

std::filesystem::path OutputTarget::ReadablePath() const {
  // By this process's number, not "self": the engine reads it in a helper process.
  return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(hold_.Get());
}

bool OutputTarget::Unchanged() const {
  struct stat now {};
  return hold_.Valid() && ::lstat(path_.c_str(), &now) == 0 &&
         version_ == Version{now.st_dev, now.st_ino, now.st_size, now.st_mtim.tv_sec, now.st_mtim.tv_nsec};
}

// Closing the file ends the lock.
void OutputTarget::Release() {
  hold_.Reset();
}

}  // namespace vellumor::platform
