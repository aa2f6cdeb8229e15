// The process environment, the logged-on user and the user's folders on Windows.

#include "platform/Environment.h"

#include "platform/Registry.h"
#include "platform/SystemEvents.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: the shell headers rely on its types.
#include <knownfolders.h>
#include <shlobj.h>

namespace vellumor::platform {

namespace {

constexpr std::string_view kShellFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool IsValidVariableName(std::string_view name) {
  return !name.empty() && name.find('=') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::filesystem::path folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)) && path != nullptr) {
    folder = path;
  }
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  if (!IsValidVariableName(name)) {
    return std::nullopt;
  }
  const std::wstring wideName = WideFromUtf8(name);
  std::wstring value(64, L'\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      return std::nullopt;
    }
    if (length < value.size()) {
      value.resize(length);
      return Utf8FromWide(value);
    }
    value.resize(length);  // the size needed, terminator included
  }
}

bool SetEnvironmentVariable(std::string_view name, std::string_view value) {
  if (!IsValidVariableName(name) || value.find('\0') != std::string_view::npos) {
    return false;
  }
  // An empty value stays a variable set to "" rather than removing it: Ghostscript for Windows
  // falls back to its installation's registry settings for a variable that does not exist.
  return ::SetEnvironmentVariableW(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str()) != 0;
}

std::string LogonName() {
  std::wstring name(257, L'\0');  // UNLEN + 1
  DWORD length = static_cast<DWORD>(name.size());
  if (!::GetUserNameW(name.data(), &length)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return {};
    }
    name.resize(length);
    if (!::GetUserNameW(name.data(), &length)) {
      return {};
    }
  }
  name.resize(length > 0 ? length - 1 : 0);  // the count includes the terminator
  return Utf8FromWide(name);
}

std::filesystem::path HomeFolder() {
  if (std::optional<std::string> profile = GetEnvironmentVariable("USERPROFILE"); profile && !profile->empty()) {
    return PathFromUtf8(*profile);
  }
  return KnownFolder(FOLDERID_Profile);
}

std::filesystem::path DesktopFolder() {
  // The folder Explorer records for the user, exactly as recorded; the naming rules replace a
  // service account's name in it. Only a missing record asks the shell.
  RegistryValue desktop;
  if (Registry{{}}.QueryValue(RegistryRoot::CurrentUser, kShellFoldersKey, "Desktop", desktop) == ERROR_SUCCESS &&
      !desktop.data.empty()) {
    return PathFromUtf8(desktop.data);
  }
  return KnownFolder(FOLDERID_Desktop);
}

// Explorer makes the desktop with the profile; one that is gone is made again, the folder itself
// only, as Explorer would on the next logon.
bool CreateDesktopFolder(const std::filesystem::path& desktop, std::string& error) {
  const DWORD attributes = ::GetFileAttributesW(desktop.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  if (::CreateDirectoryW(desktop.c_str(), nullptr)) {
    return true;
  }
  const DWORD reason = ::GetLastError();
  error = "The desktop folder " + Utf8FromPath(desktop) + " does not exist and cannot be created (" +
          SystemErrorText(static_cast<long>(reason == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : reason)) + ").";
  return false;
}

bool DisplayAvailable() {
  // A service runs in a window station nobody sees; its windows would wait for ever.
  USEROBJECTFLAGS flags{};
  HWINSTA station = ::GetProcessWindowStation();
  return station != nullptr && ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr) != 0 &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return {};
    }
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path{path}.parent_path();
    }
    path.resize(path.size() * 2);  // cut short: the path is longer than the buffer
  }
}

}  // namespace vellumor::platform
