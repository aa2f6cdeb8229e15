// Journals on Linux are held with flock: a run holds its journal's lock for as long as it lives,
// and the kernel drops it when the run dies.

#include "platform/JournalFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/FileLock.h"

namespace vellumor::platform::journal {
namespace {

class PosixJournal final : public OpenJournal {
 public:
  PosixJournal(std::filesystem::path path, int fd, bool held) : path_{std::move(path)}, fd_{fd}, held_{held} {}
  ~PosixJournal() override { ::close(fd_); }
  PosixJournal(const PosixJournal&) = delete;
  PosixJournal& operator=(const PosixJournal&) = delete;

  bool Held() const override { return held_; }
  std::string ReadAll() override {
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }
  void Remove() override { ::unlink(path_.c_str()); }

 private:
  std::filesystem::path path_;
  int fd_;
  bool held_;
};

// True when the folder open at `fd` holds nothing but "." and "..".
bool FolderEmpty(int fd) {
  const int copy = ::dup(fd);
  DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
  if (listing == nullptr) {
    if (copy >= 0) {
      ::close(copy);
    }
    return false;
  }
  bool empty = true;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name{entry->d_name};
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(listing);
  return empty;
}

}  // namespace

std::unique_ptr<OpenJournal> OpenJournalFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return std::make_unique<PosixJournal>(path, fd, false);
  }
  // Taken: its run is gone, unless another repair removed it between the look and the lock.
  if (!file_lock::StillNamed(fd, path)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixJournal>(path, fd, true);
}

std::optional<Entry> LookAt(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  struct stat info {};
  std::optional<Entry> entry;
  if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
    entry = Entry{{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
                  S_ISDIR(info.st_mode),
                  S_ISDIR(info.st_mode) ? FolderEmpty(fd) : info.st_size == 0};
  }
  ::close(fd);
  return entry;
}

void RemoveFile(const std::filesystem::path& path) {
  ::unlink(path.c_str());
}

void RemoveFolder(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (listing == nullptr) {
    if (fd >= 0) {
      ::close(fd);
    }
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    struct stat info {};
    if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
      ::unlinkat(fd, entry->d_name, 0);
    }
  }
  ::closedir(listing);
  ::rmdir(path.c_str());
}

}  // namespace vellumor::platform::journal
