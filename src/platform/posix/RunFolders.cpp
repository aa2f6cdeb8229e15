// The folders "<default>-XXXXXX" that runs make for themselves when the default temporary folder
// is taken: each run holds a lock on its folder for as long as it lives, so a folder nobody holds
// may be a killed run's; the next run repairs it, and removes it when a dead run's journal in it
// names it and nothing else is left in it.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/JournalFiles.h"
#include "platform/JournalFormat.h"
#include "platform/RunJournal.h"
#include "platform/posix/FileLock.h"

namespace vellumor::platform {
namespace {

namespace fs = std::filesystem;

// "<prefix>XXXXXX", as mkdtemp completes the name.
bool IsRunFolderName(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || name.size() != prefix.size() + 6) {
    return false;
  }
  for (const char c : name.substr(prefix.size())) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      return false;
    }
  }
  return true;
}

// A journal inside whose run still holds it: the folder is in use whatever its lock says.
bool HoldsLiveJournal(const fs::path& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(journal::kPrefix) || !name.ends_with(journal::kJournalExtension)) {
      continue;
    }
    const std::unique_ptr<journal::OpenJournal> open = journal::OpenJournalFile(entry.path());
    if (open && !open->Held()) {
      return true;
    }
  }
  return false;
}

// The run folder `path` open and locked, when it is a folder of this user whose run is gone;
// else -1. The lock keeps the run that made it, should it be just starting, from using it.
int LockDeadRunFolder(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  struct stat info {};
  const bool dead = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
                    ::flock(fd, LOCK_EX | LOCK_NB) == 0 && file_lock::StillNamed(fd, path);
  if (!dead || HoldsLiveJournal(path)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

void RepairDeadRunFolders(const fs::path& defaultFolder) {
  const std::string prefix = defaultFolder.filename().string() + "-";
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(defaultFolder.parent_path(), error)) {
    if (!IsRunFolderName(entry.path().filename().string(), prefix)) {
      continue;
    }
    const fs::path& folder = entry.path();
    const int lock = LockDeadRunFolder(folder);
    if (lock >= 0) {
      // Its journals first: they name what the run left in it and in the user's folders. Only a
      // folder a run made, and of which nothing else is left, goes.
      if (RepairDeadRuns(folder)) {
        ::rmdir(folder.c_str());
      }
      ::close(lock);
    }
  }
}

}  // namespace vellumor::platform
