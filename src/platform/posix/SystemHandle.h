#pragma once
// The handle the seams' shared headers hold (included as "platform/SystemHandle.h"): on POSIX
// systems an owned descriptor.

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

using SystemHandle = OwnedFile;

}  // namespace vellumor::platform
