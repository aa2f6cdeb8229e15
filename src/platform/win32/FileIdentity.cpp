// A file's identity on Windows: the serial number of its volume and its file index there.

#include "platform/FileIdentity.h"

#include "platform/win32/FileHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

namespace {

std::optional<FileIdentity> IdentityThrough(const std::filesystem::path& path, DWORD flags) {
  // Opened for no access at all: the identity can be had even of a file that is open elsewhere.
  const FileHandle file{::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr)};
  BY_HANDLE_FILE_INFORMATION information{};
  if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &information)) {
    return std::nullopt;
  }
  return FileIdentity{information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  return IdentityThrough(path, 0);
}

std::optional<FileIdentity> EntryIdentityOf(const std::filesystem::path& path) {
  return IdentityThrough(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

}  // namespace vellumor::platform
