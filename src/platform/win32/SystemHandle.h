#pragma once
// The handle the seams' shared headers hold (included as "platform/SystemHandle.h"): on Windows
// an owned HANDLE.

#include "platform/win32/FileHandle.h"

namespace vellumor::platform {

using SystemHandle = FileHandle;

}  // namespace vellumor::platform
