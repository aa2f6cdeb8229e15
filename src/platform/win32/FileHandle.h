#pragma once
// A handle of this process with exactly one owner, closed when the owner lets go of it.

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

}  // namespace vellumor::platform
