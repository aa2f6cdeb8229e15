// The temporary folder on Windows: the user's own, as the system reports it, with the system's
// unique "vlmXXXX.tmp" reservations.

#include "platform/TempFolder.h"

#include <algorithm>
#include <utility>

#include "platform/RunJournal.h"
#include "platform/SystemEvents.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/FileIo.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

namespace {

std::string Describe(const std::filesystem::path& folder, std::string_view problem) {
  return "The temporary folder " + Utf8FromPath(folder) + " " + std::string{problem};
}

}  // namespace

std::optional<TempFolder> TempFolder::Open(const std::filesystem::path& defaultFolder, std::string& error,
                                           std::vector<std::string>& /*notices*/) {
  if (defaultFolder.empty()) {
    error = "The temporary folder cannot be found: " + SystemErrorText(static_cast<long>(::GetLastError()));
    return std::nullopt;
  }
  return At(defaultFolder, error);
}

std::filesystem::path TempFolder::DefaultFolder() {
  // GetTempPathW already follows TMP, TEMP and the user's profile, and each user has their own.
  wchar_t path[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
  if (length == 0 || length > MAX_PATH) {
    return {};
  }
  return std::filesystem::path{std::wstring_view{path, length}};
}

// A folder the program may keep the job in: a real folder, not a link or junction to one that
// somebody else chose.
bool TempFolder::UsableFolder(const std::filesystem::path& folder, std::string& error) {
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = Describe(folder, "cannot be used: " + SystemErrorText(static_cast<long>(::GetLastError())));
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = Describe(folder, "is not a folder.");
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    error = Describe(folder, "is a link to another folder; refusing to use it.");
    return false;
  }
  return true;
}

bool TempFolder::MakePrivateFolder(const std::filesystem::path& folder, std::string& error) {
  if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    error = Describe(folder, "cannot be created: " + SystemErrorText(static_cast<long>(::GetLastError())));
    return false;
  }
  return UsableFolder(folder, error);
}

// Each user's temporary folder is their own on Windows, so no run makes a folder for itself and
// none holds one; should a hold ever be given, the handle goes first, as a folder held open
// cannot be removed.
void TempFolder::RemoveHeldFolder(const std::filesystem::path& folder, SystemHandle hold) noexcept {
  hold.Reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

std::optional<std::filesystem::path> TempFolder::Reserve(std::string_view prefix, RunJournal* journal) const {
  // The system takes the first three characters of the prefix and creates the empty file. It
  // chooses the name itself, so only what it made can be written down (a run killed right
  // between leaves the empty file, which is never taken for anybody's).
  wchar_t name[MAX_PATH];
  if (::GetTempFileNameW(folder_.c_str(), WideFromUtf8(prefix).c_str(), 0, name) == 0) {
    return std::nullopt;
  }
  if (journal != nullptr) {
    journal->Created(std::filesystem::path{name});
  }
  return std::filesystem::path{name};
}

bool TempFolder::WriteNewFile(const std::filesystem::path& path, std::string_view bytes, RunJournal* journal) {
  // CREATE_NEW fails on anything already at the name, a link included; the file is the user's
  // through the folder's access rules.
  if (journal != nullptr) {
    journal->WillCreate(path);
  }
  FileHandle file{::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (journal != nullptr) {
    file.Valid() ? journal->Created(path) : journal->NotCreated(path);
  }
  if (!file.Valid()) {
    return false;
  }
  const bool wrote = file_io::WriteAll(file.Get(), bytes);
  const bool written = file.Close() && wrote;
  if (!written) {
    ::DeleteFileW(path.c_str());
  }
  return written;
}

}  // namespace vellumor::platform
