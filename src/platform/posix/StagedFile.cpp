#include "platform/StagedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/JournalFormat.h"
#include "platform/FreshName.h"
#include "platform/RunJournal.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {
namespace {

// Renames without ever replacing a file that is already there.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  // File systems without that flag: a hard link fails when the name is taken.
  if (::link(from.c_str(), to.c_str()) != 0) {
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

}  // namespace

std::optional<StagedFile> StagedFile::Create(const std::filesystem::path& folder, std::string_view tag,
                                             std::string_view extension, std::string& error, RunJournal* journal) {
  const std::string tagPart = tag.empty() ? "" : std::string{tag} + "-";
  std::optional<StagedFile> staged;
  error = "no free name";
  CreateUnderFreshName([&] {
    std::filesystem::path path =
        folder / (std::string{journal::kStagedPrefix} + tagPart + RandomNamePart() + std::string{extension});
    if (journal != nullptr) {
      journal->WillCreate(path);
    }
    OwnedFile file{::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    const int reason = errno;
    if (journal != nullptr) {
      file.Valid() ? journal->Created(path) : journal->NotCreated(path);
    }
    if (file.Valid()) {
      staged.emplace(StagedFile{std::move(path), std::move(file)});
      return NameTry::Created;
    }
    if (reason == EEXIST) {
      return NameTry::Taken;
    }
    error = std::strerror(reason);
    return NameTry::Failed;
  });
  return staged;
}

bool StagedFile::Sync() {
  return file_.Valid() && ::fsync(file_.Get()) == 0;
}

void StagedFile::SetOwnership(unsigned mode, std::optional<unsigned> owner, std::optional<unsigned> group) {
  if (!file_.Valid()) {
    return;
  }
  // Only root may give a file away, and only a member may give it a group; what cannot be kept
  // is left as the new file has it.
  if (owner || group) {
    const uid_t uid = owner ? static_cast<uid_t>(*owner) : static_cast<uid_t>(-1);
    const gid_t gid = group ? static_cast<gid_t>(*group) : static_cast<gid_t>(-1);
    if (::fchown(file_.Get(), uid, gid) != 0 && owner && group) {
      [[maybe_unused]] const int ignored = ::fchown(file_.Get(), static_cast<uid_t>(-1), gid);
    }
  }
  ::fchmod(file_.Get(), static_cast<mode_t>(mode & 0777));
}

StagedFile::Publish StagedFile::PublishAs(const std::filesystem::path& target, bool replace, std::string& error) {
  if (!present_) {
    error = "the file is gone";
    return Publish::Failed;
  }
  const bool renamed = replace ? ::rename(path_.c_str(), target.c_str()) == 0 : RenameNoReplace(path_, target);
  if (!renamed) {
    const int reason = errno;
    error = std::strerror(reason);
    return reason == EEXIST ? Publish::NameTaken : Publish::Failed;
  }
  present_ = false;
  file_.Reset();
  file_io::SyncFolder(target.parent_path());
  return Publish::Done;
}

void StagedFile::Discard() {
  if (present_) {
    ::unlink(path_.c_str());
    present_ = false;
  }
  file_.Reset();
}

unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace vellumor::platform
