// Journals on Linux are held with flock: a run holds its journal's lock for as long as it lives,
// and the kernel drops it when the run dies.

#include "platform/JournalFiles.h"

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

}  // namespace

std::unique_ptr<OpenJournal> OpenJournalFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
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

void RemoveOwnFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
    ::unlink(path.c_str());
  }
}

void RemoveEntry(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  } else {
    ::unlink(path.c_str());
  }
}

}  // namespace vellumor::platform::journal
