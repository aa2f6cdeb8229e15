#pragma once
// Notifications other programs get of a changed setting, and the system's words for errors.

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumor::platform {

// Tells other programs that a system setting changed (WM_SETTINGCHANGE on Windows). POSIX systems
// have nobody to tell. Either way the call is counted, so that callers can be checked.
void BroadcastSettingChange(std::string_view area);
std::size_t SettingChangeBroadcastCount();
// For the realisations of BroadcastSettingChange: the system's own notification.
void NotifySettingChange(std::string_view area);

// The system's text for a Windows-numbered error code (see Registry.h), e.g. "Access is denied.":
// the system's own on Windows, the same texts from a table of the codes the program meets on
// POSIX systems, so that diagnostics read the same everywhere.
std::string SystemErrorText(long code);
// Maps an errno value (the C runtime's, on every system) to the Windows-numbered code used
// throughout the program.
long ErrorCodeFromErrno(int errnoValue);

}  // namespace vellumor::platform
