#include "platform/posix/PrivateFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vellumor::platform {

std::string PrivateFolderProblem(const std::filesystem::path& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) {
    return "cannot be used: " + std::string{std::strerror(errno)};
  }
  if (S_ISLNK(info.st_mode)) {
    return "is a symbolic link";
  }
  if (!S_ISDIR(info.st_mode)) {
    return "is not a folder";
  }
  if (info.st_uid != ::geteuid()) {
    return "belongs to another user";
  }
  if ((info.st_mode & 077) != 0) {
    return "can be accessed by other users";
  }
  return "";
}

ExclusiveLock TryExclusiveLock(const std::filesystem::path& file) {
  ExclusiveLock lock;
  lock.file = OwnedFile{::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)};
  if (!lock.file.Valid()) {
    lock.error = "cannot open " + file.string() + ": " + std::strerror(errno);
    return lock;
  }
  if (::flock(lock.file.Get(), LOCK_EX | LOCK_NB) == 0) {
    lock.taken = true;
  } else if (errno != EWOULDBLOCK) {
    lock.error = "cannot lock " + file.string() + ": " + std::strerror(errno);
  }
  return lock;
}

}  // namespace vellumor::platform
