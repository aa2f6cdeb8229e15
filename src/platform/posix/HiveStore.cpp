#include "platform/posix/HiveStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/SystemEvents.h"
#include "platform/WholeFile.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

namespace {

constexpr int kMaxDamagedCopies = 100;

// Far above any real hive (a few kilobytes); a file beyond it is not a hive this program wrote,
// and reading it whole could take the memory and the time of every job.
constexpr std::size_t kMaxHiveBytes = std::size_t{4} << 20;

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

}  // namespace

long HiveStore::Read(Hive& hive, HiveReadNotes& notes) const {
  // No lock is needed: the file behind an open descriptor is never changed in place.
  hive = Hive{};
  notes = HiveReadNotes{};
  WholeFileRead file = ReadWholeFile(hivePath_, kMaxHiveBytes, FinalLink::Follow);
  switch (file.status) {
    case WholeFileRead::Status::Missing:
      return win_error::kSuccess;
    case WholeFileRead::Status::Unreadable:
    case WholeFileRead::Status::Refused:
      notes.problem = hivePath_.string() + ": " + file.reason;
      return file.code;
    case WholeFileRead::Status::Read:
      break;
  }
  ParsedHive parsed = ParseHive(file.contents);
  hive = std::move(parsed.hive);
  notes.damage = parsed.damage;
  return win_error::kSuccess;
}

long HiveStore::Modify(const Change& change, HiveReadNotes& notes) const {
  if (const long result = CreateFolder(hivePath_.parent_path()); result != win_error::kSuccess) {
    return result;
  }
  // Read access is enough for flock, and lets a lock file made by someone else still be used.
  const std::string lockPath = hivePath_.string() + ".lock";
  OwnedFile lock{::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)};
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
  if (const long result = Read(hive, notes); result != win_error::kSuccess) {
    return result;
  }
  bool changed{false};
  if (const long result = change(hive, changed); result != win_error::kSuccess || !changed) {
    return result;
  }
  if (notes.damage.lines > 0) {
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
  const std::string text = SerializeHive(hive);
  // A hive that could not be read back must never be published in place of a readable one.
  if (text.size() > kMaxHiveBytes) {
    return ErrorCodeFromErrno(EFBIG);
  }
  const WholeFileWrite written = ReplaceWholeFile(hivePath_, text);
  return written.written ? win_error::kSuccess : written.code;
}

// Only the lock holder creates a temporary file beside the hive, so any such file found under
// the lock is left over from a killed writer.
void HiveStore::RemoveLeftovers() const {
  const std::string prefix = hivePath_.filename().string() + std::string{kReplacementSuffix};
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
