#include "platform/win32/FileHandle.h"

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

bool HandleTraits::Close(Native handle) noexcept {
  return ::CloseHandle(handle) != 0;
}

}  // namespace vellumor::platform
