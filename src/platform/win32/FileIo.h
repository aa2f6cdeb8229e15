#pragma once
// Writing a whole buffer, as the Windows files need it.

#include <algorithm>
#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform::file_io {

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

}  // namespace vellumor::platform::file_io
