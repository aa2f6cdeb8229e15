#pragma once
// What the monitor keeps in the registry, under its own key among the spooler's monitors: its one
// port (a subkey of Ports) and the program it starts for each job (the value Program, written by
// the installer, which only administrators can change).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace vellumor::monitor {

inline constexpr wchar_t kMonitorName[] = L"Vellumor";
inline constexpr wchar_t kPortName[] = L"VellumorPort:";
inline constexpr wchar_t kMonitorKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Vellumor";
inline constexpr wchar_t kProgramValue[] = L"Program";

// True for the one port this monitor serves, written in any case.
bool IsOurPort(std::wstring_view name);

std::vector<std::wstring> InstalledPorts();
bool PortInstalled(std::wstring_view name);
// ERROR_SUCCESS, or why not: another name than the product's port is not ours to add.
DWORD InstallPort(std::wstring_view name);
DWORD RemovePort(std::wstring_view name);

// The program the installer registered; nothing when it is missing.
std::optional<std::filesystem::path> JobProgramPath();

}  // namespace vellumor::monitor
