#include "platform/RunJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/JournalFormat.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/FileLock.h"

namespace vellumor::platform {

std::unique_ptr<RunJournal> RunJournal::Start(const std::filesystem::path& tempFolder) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string tag = journal::NewTag();
    std::filesystem::path path =
        tempFolder / (std::string{journal::kPrefix} + tag + std::string{journal::kJournalExtension});
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return nullptr;
    }
    // Until the lock is taken, a starting run may take this new, empty journal for a dead one
    // and remove it; the name then no longer leads here and another one is made.
    int locked = -1;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      // A journal its run does not hold would look dead to the next run, which would remove this
      // run's files; the run goes on without a journal instead.
      ::unlink(path.c_str());
      ::close(fd);
      return nullptr;
    }
    if (file_lock::StillNamed(fd, path)) {
      std::unique_ptr<RunJournal> journal{new RunJournal{tempFolder, std::move(path), tag, fd}};
      journal->Write(std::string(1, journal::kSignature) + std::string{journal::kSignatureText} + '\0', false);
      return journal;
    }
    ::close(fd);
  }
  return nullptr;
}

RunJournal::~RunJournal() {
  ::unlink(path_.c_str());
  ::close(fd_);
}

void RunJournal::Write(std::string_view record, bool durable) {
  // One write per record: a run killed halfway leaves at most one cut-off record at the end.
  [[maybe_unused]] const ssize_t written = ::write(fd_, record.data(), record.size());
  if (durable) {
    ::fdatasync(fd_);
    if (!folderSynced_) {
      // The journal's own name must survive a power loss as well as its records.
      file_io::SyncFolder(folder_);
      folderSynced_ = true;
    }
  }
}

}  // namespace vellumor::platform
