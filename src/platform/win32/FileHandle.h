#pragma once
// A handle of this process (a file, a folder, a mutex, an event) with exactly one owner, closed
// when the owner lets go of it. Declared without the Windows headers, so that the seams' shared
// headers can hold one (SystemHandle.h): a HANDLE is a pointer.

#include <cstdint>

#include "platform/UniqueHandle.h"

namespace vellumor::platform {

struct HandleTraits {
  using Native = void*;  // HANDLE
  // INVALID_HANDLE_VALUE, what CreateFileW fails with.
  static Native Invalid() noexcept { return reinterpret_cast<Native>(static_cast<std::intptr_t>(-1)); }
  // CreateMutexW and CreateEventW fail with a null handle instead: it holds nothing either.
  static bool Valid(Native handle) noexcept { return handle != Invalid() && handle != nullptr; }
  // CloseHandle; false when it failed (GetLastError says why).
  static bool Close(Native handle) noexcept;
};

using FileHandle = UniqueHandle<HandleTraits>;

}  // namespace vellumor::platform
