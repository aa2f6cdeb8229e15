#pragma once
// A handle of this process with exactly one owner, closed when the owner lets go of it.

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

class FileHandle final {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE handle) : handle_{handle} {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_{other.Release()} {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  // False when closing failed (for a file written through it: the data may not have arrived).
  bool Close() { return !Valid() || ::CloseHandle(Release()) != 0; }

 private:
  HANDLE handle_{INVALID_HANDLE_VALUE};
};

// Writes all of `bytes` to `file`, in pieces the system takes at once; false when a write failed.
inline bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace vellumor::platform
