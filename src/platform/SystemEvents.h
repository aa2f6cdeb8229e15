#pragma once
// Notifications other programs would get on Windows, and the diagnostic channel.

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumor::platform {

// Tells other programs that a system setting changed (WM_SETTINGCHANGE on Windows). Linux has
// nobody to tell; the call is counted so that callers can be checked.
void BroadcastSettingChange(std::string_view area);
std::size_t SettingChangeBroadcastCount();

// The system's text for a Windows-numbered error code (see Registry.h), e.g. "Access is denied."
std::string SystemErrorText(long code);
// Maps an errno value to the Windows-numbered code used throughout the program.
long ErrorCodeFromErrno(int errnoValue);

}  // namespace vellumor::platform
