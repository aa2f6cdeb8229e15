#pragma once
// The process environment and the user's identity and folders. Texts are UTF-8 on both systems
// (Windows' UTF-16 is converted at the seam).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vellumor::platform {

std::optional<std::string> GetEnvironmentVariable(std::string_view name);
// An empty value keeps the variable, set to "" (as the engine's environment needs it: Ghostscript
// for Windows reads its installation's settings for a variable that does not exist).
bool SetEnvironmentVariable(std::string_view name, std::string_view value);

// The user's logon name: POSIX from the password database (not from $USER), the user's number
// when there is no entry; Windows GetUserNameW.
std::string LogonName();

// POSIX: $HOME, else the password database's home folder. Windows: %USERPROFILE%, else the
// profile folder.
std::filesystem::path HomeFolder();

// The user's desktop folder, whether or not it exists yet.
// POSIX: XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (the file wins over the
// environment, as when xdg-user-dir reads it), else the environment variable XDG_DESKTOP_DIR,
// else $HOME/Desktop. An entry that names the home folder itself (xdg-user-dirs' way of switching
// a folder off) does not count: the desktop is never the home folder, where an automatic save
// would replace the user's files.
// Windows: the "Desktop" value of the user's "Shell Folders" key, exactly as Explorer recorded
// it; the desktop known folder only when there is no such value.
std::filesystem::path DesktopFolder();

// Makes sure `desktop` exists. POSIX: creates it as xdg-user-dirs would (mode 0755 under the
// umask), with the folders above it that are missing inside the home folder; outside the home
// folder only the desktop folder itself is made. Windows: the folder itself, as Explorer makes it
// again at the next logon. False, with the reason in `error`, when it cannot be made.
bool CreateDesktopFolder(const std::filesystem::path& desktop, std::string& error);

// Whether windows can be shown at all. POSIX: DISPLAY or WAYLAND_DISPLAY is set and not empty
// (whether it answers is Display.h's question). Windows: the process's window station is visible
// (a service's is not, and its windows would wait for ever).
bool DisplayAvailable();

// The folder the running program lives in (for files shipped beside it), its links resolved.
std::filesystem::path ProgramFolder();

}  // namespace vellumor::platform
