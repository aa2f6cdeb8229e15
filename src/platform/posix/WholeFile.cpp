#include "platform/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/Registry.h"
#include "platform/SystemEvents.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

namespace {

using Status = WholeFileRead::Status;

WholeFileRead ReadFailure(int error) {
  return {Status::Unreadable, {}, ErrorCodeFromErrno(error), std::generic_category().message(error)};
}

WholeFileWrite WriteFailure(int error) {
  return {false, ErrorCodeFromErrno(error), std::generic_category().message(error)};
}

}  // namespace

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes, FinalLink link) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer that may never come.
  int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (link == FinalLink::Refuse) {
    flags |= O_NOFOLLOW;
  }
  OwnedFile file{::open(path.c_str(), flags)};
  if (!file.Valid()) {
    const int error = errno;
    if (error == ENOENT) {
      return {};
    }
    if (error == ELOOP && link == FinalLink::Refuse) {
      return RefusedRead("a symbolic link");
    }
    return ReadFailure(error);
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) {
    return ReadFailure(errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return ReadFailure(EISDIR);
  }
  if (!S_ISREG(info.st_mode)) {
    return RefusedRead("not a regular file");
  }
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    return RefusedRead(TooLargeReason(maxBytes));
  }
  WholeFileRead result{Status::Read, {}, 0, {}};
  result.contents.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    // One byte past the limit is asked for, so that a file growing while it is read is noticed.
    const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - result.contents.size());
    const ssize_t count = ::read(file.Get(), buffer, wanted);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return ReadFailure(errno);
    }
    if (count == 0) {
      return result;
    }
    result.contents.append(buffer, static_cast<std::size_t>(count));
    if (result.contents.size() > maxBytes) {
      return RefusedRead(TooLargeReason(maxBytes));
    }
  }
}

WholeFileWrite ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  mode_t mode = 0600;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      return WriteFailure(EISDIR);
    }
    if (S_ISREG(info.st_mode)) {
      // A file its owner made read-only stays as it is, as an in-place write would have to.
      if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return WriteFailure(errno);
      }
      mode = info.st_mode & 0600;
    } else if (!S_ISLNK(info.st_mode)) {
      return {false, win_error::kInvalidData, "not a regular file"};
    }
  } else if (errno != ENOENT) {
    return WriteFailure(errno);
  }

  std::string tempPath = path.string() + std::string{kReplacementSuffix} + "XXXXXX";
  OwnedFile temp{::mkostemp(tempPath.data(), O_CLOEXEC)};
  if (!temp.Valid()) {
    return WriteFailure(errno);
  }
  // Set explicitly: the mode mkostemp asks for is subject to the umask.
  int error = ::fchmod(temp.Get(), mode) == 0 ? 0 : errno;
  if (error == 0) {
    error = file_io::WriteAll(temp.Get(), bytes);
  }
  // Flushed before the rename so that a machine crash leaves the old or the new file, never an
  // empty one.
  if (error == 0 && ::fdatasync(temp.Get()) != 0) {
    error = errno;
  }
  if (!temp.Close() && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(tempPath.c_str());
    return WriteFailure(error);
  }
  return {true, 0, {}};
}

}  // namespace vellumor::platform
