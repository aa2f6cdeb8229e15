#include "platform/posix/HiveStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/SystemEvents.h"

namespace vellumor::platform {

namespace {

// Name part of the temporary file a writer builds the next hive in; only the lock holder
// creates one, so any such file found under the lock is left over from a killed writer.
constexpr std::string_view kNewSuffix = ".new-";
constexpr int kMaxDamagedCopies = 100;

class Descriptor final {
 public:
  explicit Descriptor(int fd) : fd_{fd} {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now and reports the result (a failed close can mean lost data on some file systems).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

long LastErrorCode() {
  return ErrorCodeFromErrno(errno);
}

// Creates `folder` and its missing parents, each private to the user.
long CreateFolder(const std::filesystem::path& folder) {
  if (folder.empty()) {
    return win_error::kSuccess;
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode) ? win_error::kSuccess : ErrorCodeFromErrno(ENOTDIR);
  }
  if (folder.has_parent_path() && folder.parent_path() != folder) {
    if (const long result = CreateFolder(folder.parent_path()); result != win_error::kSuccess) {
      return result;
    }
  }
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return LastErrorCode();
  }
  return win_error::kSuccess;
}

long WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return LastErrorCode();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return win_error::kSuccess;
}

}  // namespace

long HiveStore::Read(Hive& hive) const {
  // No lock is needed: the file behind an open descriptor is never changed in place.
  bool damaged{false};
  return ReadFile(hive, damaged);
}

long HiveStore::ReadFile(Hive& hive, bool& damaged) const {
  hive = Hive{};
  damaged = false;
  Descriptor file{::open(hivePath_.c_str(), O_RDONLY | O_CLOEXEC)};
  if (!file.Valid()) {
    return errno == ENOENT ? win_error::kSuccess : LastErrorCode();
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return LastErrorCode();
    }
    if (count == 0) {
      break;
    }
    text.append(buffer, static_cast<std::size_t>(count));
  }
  if (std::optional<Hive> parsed = ParseHive(text)) {
    hive = std::move(*parsed);
  } else {
    damaged = true;
  }
  return win_error::kSuccess;
}

long HiveStore::Modify(const Change& change) const {
  if (const long result = CreateFolder(hivePath_.parent_path()); result != win_error::kSuccess) {
    return result;
  }
  // Read access is enough for flock, and lets a lock file made by someone else still be used.
  const std::string lockPath = hivePath_.string() + ".lock";
  Descriptor lock{::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)};
  if (!lock.Valid()) {
    return LastErrorCode();
  }
  while (::flock(lock.Get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      return LastErrorCode();
    }
  }
  RemoveLeftovers();

  Hive hive;
  bool damaged{false};
  if (const long result = ReadFile(hive, damaged); result != win_error::kSuccess) {
    return result;
  }
  bool changed{false};
  if (const long result = change(hive, changed); result != win_error::kSuccess || !changed) {
    return result;
  }
  if (damaged) {
    if (const long result = KeepDamagedFile(); result != win_error::kSuccess) {
      return result;
    }
  }
  return Publish(hive);
  // The lock is released when `lock` is closed.
}

long HiveStore::KeepDamagedFile() const {
  // A hard link keeps the damaged file under a second name without copying it; the rename in
  // Publish then only takes away the hive's own name. An earlier copy is never replaced.
  for (int attempt = 1; attempt <= kMaxDamagedCopies; ++attempt) {
    std::string copy = hivePath_.string() + ".bad";
    if (attempt > 1) {
      copy += "." + std::to_string(attempt);
    }
    if (::link(hivePath_.c_str(), copy.c_str()) == 0) {
      return win_error::kSuccess;
    }
    if (errno != EEXIST) {
      return LastErrorCode();
    }
  }
  return ErrorCodeFromErrno(EEXIST);
}

long HiveStore::Publish(const Hive& hive) const {
  std::string tempPath = hivePath_.string() + std::string{kNewSuffix} + "XXXXXX";
  // mkstemp creates the file with mode 0600 whatever the umask.
  Descriptor temp{::mkostemp(tempPath.data(), O_CLOEXEC)};
  if (!temp.Valid()) {
    return LastErrorCode();
  }
  long result = WriteAll(temp.Get(), SerializeHive(hive));
  // Flushed before the rename so that a machine crash leaves the old or the new hive, never an
  // empty one.
  if (result == win_error::kSuccess && ::fdatasync(temp.Get()) != 0) {
    result = LastErrorCode();
  }
  if (temp.Close() != 0 && result == win_error::kSuccess) {
    result = LastErrorCode();
  }
  if (result == win_error::kSuccess && ::rename(tempPath.c_str(), hivePath_.c_str()) != 0) {
    result = LastErrorCode();
  }
  if (result != win_error::kSuccess) {
    ::unlink(tempPath.c_str());
  }
  return result;
}

void HiveStore::RemoveLeftovers() const {
  const std::string prefix = hivePath_.filename().string() + std::string{kNewSuffix};
  const std::filesystem::path parent = hivePath_.has_parent_path() ? hivePath_.parent_path() : ".";
  DIR* folder = ::opendir(parent.c_str());
  if (folder == nullptr) {
    return;
  }
  const int folderFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    if (std::string_view{entry->d_name}.starts_with(prefix)) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

}  // namespace vellumor::platform
