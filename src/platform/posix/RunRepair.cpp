#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "platform/RunJournal.h"
#include "platform/WritingTurn.h"
#include "platform/posix/FileLock.h"
#include "platform/posix/JournalFormat.h"

namespace vellumor::platform {
namespace {

namespace fs = std::filesystem;

struct Journal {
  std::string name;
  std::string tag;
  std::vector<journal::Record> records;
  int lockedFd{-1};  // dead journals stay locked while they are repaired
};

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// A temporary file whose creation was announced but whose name never followed.
bool HasPendingCreation(const Journal& journal) {
  bool pending = false;
  for (const journal::Record& record : journal.records) {
    if (record.kind == journal::kPending) {
      pending = true;
    } else if (record.kind == journal::kTemporary || record.kind == journal::kNoTemporary) {
      pending = false;
    }
  }
  return pending;
}

// Names in the temporary folder that belong to the journal's run.
bool BelongsTo(const Journal& journal, const std::string& name) {
  if (name.starts_with(std::string{journal::kPrefix} + journal.tag + ".")) {
    return true;
  }
  for (const journal::Record& record : journal.records) {
    if (record.kind == journal::kTemporary) {
      const std::string file = fs::path{record.value}.filename().string();
      if (name == file || name.starts_with(file + ".")) {
        return true;
      }
    }
  }
  return false;
}

void RemoveStagedFiles(const fs::path& folder, const std::string& tag) {
  const std::string prefix = std::string{journal::kStagedPrefix} + tag + "-";
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    struct stat info {};
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix) && ::lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_uid == ::geteuid()) {
      ::unlink(entry.path().c_str());
    }
  }
}

// Looks at every journal: a live one is only read, a dead one is kept locked for its repair.
std::vector<Journal> ReadJournals(const fs::path& tempFolder, const std::vector<std::string>& names) {
  std::vector<Journal> journals;
  for (const std::string& name : names) {
    if (!name.starts_with(journal::kPrefix) || !name.ends_with(journal::kJournalExtension)) {
      continue;
    }
    const fs::path path = tempFolder / name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      continue;
    }
    Journal journal;
    journal.name = name;
    journal.tag =
        name.substr(journal::kPrefix.size(), name.size() - journal::kPrefix.size() - journal::kJournalExtension.size());
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // Taken: its run is gone, unless another repair removed it between the look and the lock.
      if (!file_lock::StillNamed(fd, path)) {
        ::close(fd);
        continue;
      }
      journal.lockedFd = fd;
    }
    journal.records = journal::ParseRecords(ReadAll(fd));
    if (journal.lockedFd < 0) {
      ::close(fd);
    }
    journals.push_back(std::move(journal));
  }
  return journals;
}

void RemoveEntry(const fs::path& path) {
  std::error_code ignored;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    fs::remove_all(path, ignored);
  } else {
    ::unlink(path.c_str());
  }
}

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

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
  bool journalAlive = false;
  if (dead) {
    // The folder's lock says the run is gone; a journal inside still locked says otherwise.
    for (const Journal& journal : ReadJournals(path, NamesIn(path))) {
      journalAlive = journalAlive || journal.lockedFd < 0;
      if (journal.lockedFd >= 0) {
        ::close(journal.lockedFd);
      }
    }
  }
  if (!dead || journalAlive) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

void RepairDeadRuns(const fs::path& tempFolder) {
  RemoveAbandonedTurns(tempFolder);
  // The folder is listed before any journal is read: a run that starts later creates its files
  // after this list was made, and a run already listed announced each file in its journal
  // before creating it.
  const std::vector<std::string> names = NamesIn(tempFolder);
  std::vector<Journal> journals = ReadJournals(tempFolder, names);

  // A living run between creating a temporary file and writing its name down owns a file no
  // journal names yet; until it has written the name, nothing is told apart safely.
  for (const Journal& journal : journals) {
    if (journal.lockedFd < 0 && HasPendingCreation(journal)) {
      for (const Journal& dead : journals) {
        if (dead.lockedFd >= 0) {
          ::close(dead.lockedFd);
        }
      }
      return;
    }
  }
  for (Journal& dead : journals) {
    if (dead.lockedFd < 0) {
      continue;
    }
    for (const journal::Record& record : dead.records) {
      if (record.kind == journal::kFolder) {
        RemoveStagedFiles(record.value, dead.tag);
      }
    }
    // A run killed between creating a temporary file and writing its name down left a file no
    // journal names: with no living run at that step, every such file is a dead run's.
    const bool sweep = HasPendingCreation(dead);
    for (const std::string& name : names) {
      if (!name.starts_with(journal::kPrefix) || name.ends_with(journal::kJournalExtension)) {
        continue;
      }
      // A name the dead run used and gave up may belong to a living run now.
      bool ownedByOther = false;
      for (const Journal& other : journals) {
        ownedByOther = ownedByOther || (&other != &dead && BelongsTo(other, name));
      }
      if (!ownedByOther && (sweep || BelongsTo(dead, name))) {
        RemoveEntry(tempFolder / name);
      }
    }
    ::unlink((tempFolder / dead.name).c_str());
    ::close(dead.lockedFd);
  }
}

void RepairDeadRunFolders(const fs::path& defaultFolder) {
  const std::string prefix = defaultFolder.filename().string() + "-";
  for (const std::string& name : NamesIn(defaultFolder.parent_path())) {
    if (!IsRunFolderName(name, prefix)) {
      continue;
    }
    const fs::path folder = defaultFolder.parent_path() / name;
    const int lock = LockDeadRunFolder(folder);
    if (lock >= 0) {
      // Its journals first: they name the partial outputs the run left in the user's folders.
      RepairDeadRuns(folder);
      std::error_code ignored;
      fs::remove_all(folder, ignored);
      ::close(lock);
    }
  }
}

}  // namespace vellumor::platform
