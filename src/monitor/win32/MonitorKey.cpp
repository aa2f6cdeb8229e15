#include "monitor/win32/MonitorKey.h"

#include <cwchar>

namespace vellumor::monitor {
namespace {

const std::wstring kPortsKey = std::wstring{kMonitorKey} + L"\\Ports";

}  // namespace

bool IsOurPort(std::wstring_view name) {
  const std::wstring_view ours{kPortName};
  return ::CompareStringOrdinal(name.data(), static_cast<int>(name.size()), ours.data(), static_cast<int>(ours.size()),
                                TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> InstalledPorts() {
  std::vector<std::wstring> ports;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return ports;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256]{};
    DWORD size = 256;
    if (::RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    // Only the product's port is served, whatever else was put there by hand.
    if (IsOurPort(name)) {
      ports.emplace_back(name);
    }
  }
  ::RegCloseKey(key);
  return ports;
}

bool PortInstalled(std::wstring_view name) {
  return IsOurPort(name) && !InstalledPorts().empty();
}

DWORD InstallPort(std::wstring_view name) {
  if (!IsOurPort(name)) {
    return ERROR_INVALID_PARAMETER;
  }
  HKEY key = nullptr;
  const LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kPortsKey + L"\\" + kPortName).c_str(), 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    ::RegCloseKey(key);
  }
  return static_cast<DWORD>(status);
}

DWORD RemovePort(std::wstring_view name) {
  if (!PortInstalled(name)) {
    return ERROR_UNKNOWN_PORT;
  }
  return static_cast<DWORD>(::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kPortsKey + L"\\" + kPortName).c_str()));
}

std::optional<std::filesystem::path> JobProgramPath() {
  DWORD size = 0;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kMonitorKey, kProgramValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
          ERROR_SUCCESS ||
      size < 2 * sizeof(wchar_t)) {
    return std::nullopt;
  }
  std::wstring path(size / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kMonitorKey, kProgramValue, RRF_RT_REG_SZ, nullptr, path.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  path.resize(std::wcslen(path.c_str()));
  return path.empty() ? std::nullopt : std::optional{std::filesystem::path{path}};
}

}  // namespace vellumor::monitor
