#include "platform/OutputTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vellumor::platform {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Waits for the write lock on the whole file; false with errno set when it was not taken.
bool LockForWriting(int fd, const Cancellation* cancellation) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  for (;;) {
    if (cancellation != nullptr && cancellation->Requested()) {
      errno = ECANCELED;
      return false;
    }
    if (::fcntl(fd, F_OFD_SETLKW, &lock) == 0) {
      return true;
    }
    if (errno != EINTR) {
      return false;
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
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
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
    OutputTarget target{State::Locked};
    target.fd_ = fd;
    if (!LockForWriting(fd, cancellation)) {
      const int error = errno;
      target.Release();
      target.state_ = error == ECANCELED ? State::Cancelled : State::Unusable;
      target.error_ = std::strerror(error);
      return target;
    }
    struct stat locked {};
    struct stat now {};
    if (::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode) && ::lstat(path.c_str(), &now) == 0 &&
        SameFile(locked, now)) {
      target.mode_ = locked.st_mode & 0777;
      target.owner_ = locked.st_uid;
      target.group_ = locked.st_gid;
      return target;
    }
  }
  OutputTarget target{State::Unusable};
  target.error_ = "the file kept changing";
  return target;
}

OutputTarget::OutputTarget(OutputTarget&& other) noexcept
    : state_{other.state_},
      fd_{std::exchange(other.fd_, -1)},
      mode_{other.mode_},
      owner_{other.owner_},
      group_{other.group_},
      error_{std::move(other.error_)} {}

OutputTarget& OutputTarget::operator=(OutputTarget&& other) noexcept {
  if (this != &other) {
    Release();
    state_ = other.state_;
    fd_ = std::exchange(other.fd_, -1);
    mode_ = other.mode_;
    owner_ = other.owner_;
    group_ = other.group_;
    error_ = std::move(other.error_);
  }
  return *this;
}

OutputTarget::~OutputTarget() {
  Release();
}

std::filesystem::path OutputTarget::ReadablePath() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

void OutputTarget::Release() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace vellumor::platform
