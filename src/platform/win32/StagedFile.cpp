// The staged PDF on Windows. It is created new (CREATE_NEW) in the target's folder, whose access
// it takes, and shared for the engine, which opens it by name to write. It is flushed with
// FlushFileBuffers; an existing PDF is replaced with ReplaceFileW, which keeps what the user set
// on the old file (its access list and attributes), and a new name is taken with MoveFileExW,
// which never replaces and writes the change through.

#include "platform/StagedFile.h"

#include <utility>

#include "platform/JournalFormat.h"
#include "platform/SystemEvents.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/RandomName.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {
namespace {

HANDLE HandleOf(int fd) {
  return LongToHandle(fd);
}

std::string LastErrorText() {
  return SystemErrorText(static_cast<long>(::GetLastError()));
}

}  // namespace

std::optional<StagedFile> StagedFile::Create(const std::filesystem::path& folder, std::string_view tag,
                                             std::string_view extension, std::string& error) {
  const std::string tagPart = tag.empty() ? "" : std::string{tag} + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path path = folder / PathFromUtf8(std::string{journal::kStagedPrefix} + tagPart +
                                                       RandomNamePart() + std::string{extension});
    const HANDLE file = ::CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return StagedFile{std::move(path), HandleToLong(file)};
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) {
      error = LastErrorText();
      return std::nullopt;
    }
  }
  error = "no free name";
  return std::nullopt;
}

bool StagedFile::Sync() {
  return fd_ != -1 && ::FlushFileBuffers(HandleOf(fd_)) != 0;
}

// The file's access comes from its folder, and a replaced file's from the file it replaces.
void StagedFile::SetOwnership(unsigned /*mode*/, std::optional<unsigned> /*owner*/, std::optional<unsigned> /*group*/) {
}

StagedFile::Publish StagedFile::PublishAs(const std::filesystem::path& target, bool replace, std::string& error) {
  if (!present_) {
    error = "the file is gone";
    return Publish::Failed;
  }
  // Closed first: the rename must not wait for this process's own handle.
  if (fd_ != -1) {
    ::CloseHandle(HandleOf(std::exchange(fd_, -1)));
  }
  const DWORD attributes = ::GetFileAttributesW(LongPath(target).c_str());
  bool renamed = false;
  if (!replace || attributes == INVALID_FILE_ATTRIBUTES) {
    renamed = ::MoveFileExW(LongPath(path_).c_str(), LongPath(target).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A link at the name is replaced itself, never written through.
    renamed = ::MoveFileExW(LongPath(path_).c_str(), LongPath(target).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  } else {
    renamed = ::ReplaceFileW(LongPath(target).c_str(), LongPath(path_).c_str(), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr) != 0;
  }
  if (!renamed) {
    const DWORD reason = ::GetLastError();
    error = SystemErrorText(static_cast<long>(reason));
    return reason == ERROR_ALREADY_EXISTS || reason == ERROR_FILE_EXISTS ? Publish::NameTaken : Publish::Failed;
  }
  present_ = false;
  return Publish::Done;
}

void StagedFile::Discard() {
  if (fd_ != -1) {
    ::CloseHandle(HandleOf(std::exchange(fd_, -1)));
  }
  if (present_) {
    ::DeleteFileW(LongPath(path_).c_str());
    present_ = false;
  }
}

// New files take their access from their folder; the bits only say "readable and writable".
unsigned NewFileMode() {
  return 0666;
}

}  // namespace vellumor::platform
