// A file's identity on Windows: the serial number of its volume and its file index there.

#include "platform/FileIdentity.h"

#include "platform/win32/FileHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  // Opened for no access at all: the identity can be had even of a file that is open elsewhere.
  const FileHandle file{::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  BY_HANDLE_FILE_INFORMATION information{};
  if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &information)) {
    return std::nullopt;
  }
  return FileIdentity{information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

}  // namespace vellumor::platform
