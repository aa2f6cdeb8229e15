#pragma once
// Write locks on whole files, as the jobs take them: open file description locks, which belong
// to one open file and end when it is closed, whoever else in the process has the file open.
// Waits are retried pauses rather than the system's blocking wait, which a signal does not end.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace vellumor::platform::file_lock {

// Takes the write lock on the whole file at once, or not at all (errno EAGAIN when another
// open file holds a lock in the way).
inline bool TryLockForWriting(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
      return true;
    }
    if (errno != EINTR) {
      if (errno == EACCES) {
        errno = EAGAIN;
      }
      return false;
    }
  }
}

// The kind of lock another open file holds that keeps the write lock from `fd`: F_WRLCK,
// F_RDLCK, or F_UNLCK when there is none (any more).
inline short LockInTheWay(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) {
    return F_UNLCK;
  }
  return lock.l_type;
}

// The open file `fd` is still the one at `path` (not removed or replaced meanwhile).
inline bool StillNamed(int fd, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

// The pause before the next try, in milliseconds: short at first, as most turns are short.
inline int NextPause(int pause) {
  return pause < 50 ? pause * 2 : pause;
}

}  // namespace vellumor::platform::file_lock
