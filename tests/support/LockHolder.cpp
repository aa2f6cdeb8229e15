#include "support/LockHolder.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vellumor::test {
namespace {

bool Take(const LockHolder::Lock& lock) {
  struct flock range {};
  range.l_whence = SEEK_SET;
  switch (lock.kind) {
    case LockHolder::Kind::Folder: {
      const int fd = ::open(lock.path.c_str(), O_RDONLY | O_DIRECTORY);
      return fd >= 0 && ::flock(fd, LOCK_EX) == 0;
    }
    case LockHolder::Kind::Reading: {
      if (::open(lock.path.c_str(), O_RDWR) >= 0) {
        return false;  // a writer, not a reader
      }
      const int posix = ::open(lock.path.c_str(), O_RDONLY);
      const int ofd = ::open(lock.path.c_str(), O_RDONLY);
      range.l_type = F_RDLCK;
      return posix >= 0 && ofd >= 0 && ::fcntl(posix, F_SETLK, &range) == 0 && ::fcntl(ofd, F_OFD_SETLK, &range) == 0 &&
             ::flock(ofd, LOCK_SH) == 0;
    }
    case LockHolder::Kind::Writing: {
      const int fd = ::open(lock.path.c_str(), O_RDWR);
      range.l_type = F_WRLCK;
      return fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &range) == 0;
    }
  }
  return false;
}

}  // namespace

LockHolder::LockHolder(std::vector<Lock> locks, uid_t uid) {
  int ready[2];
  int release[2];
  if (::pipe(ready) != 0 || ::pipe(release) != 0) {
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(ready[0]);
    ::close(release[1]);
    ::alarm(60);
    bool held = uid == 0 || (::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0);
    for (const Lock& lock : locks) {
      held = held && Take(lock);
    }
    const char state = held ? '1' : '0';
    [[maybe_unused]] const ssize_t written = ::write(ready[1], &state, 1);
    char ignored;
    [[maybe_unused]] const ssize_t got = ::read(release[0], &ignored, 1);
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  release_ = release[1];
  char state = '0';
  holding_ = pid_ > 0 && ::read(ready[0], &state, 1) == 1 && state == '1';
  ::close(ready[0]);
}

LockHolder::~LockHolder() {
  Release();
}

bool LockHolder::StillThere() const {
  int status = 0;
  return pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0;
}

void LockHolder::Release() {
  if (pid_ > 0) {
    ::close(release_);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

}  // namespace vellumor::test
