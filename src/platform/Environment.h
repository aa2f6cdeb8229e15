#pragma once
// The process environment and the user's identity and folders.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vellumor::platform {

std::optional<std::string> GetEnvironmentVariable(std::string_view name);
// An empty value keeps the variable, set to "" (as the engine's environment needs it).
bool SetEnvironmentVariable(std::string_view name, std::string_view value);

// The user's logon name (from the password database, not from $USER).
std::string LogonName();

// $HOME, else the password database's home folder.
std::filesystem::path HomeFolder();

// The user's desktop folder, whether or not it exists yet: XDG_DESKTOP_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (the file wins over the environment, as when xdg-user-dir reads
// it), else the environment variable XDG_DESKTOP_DIR, else $HOME/Desktop. An entry that names the
// home folder itself (xdg-user-dirs' way of switching a folder off) does not count: the desktop
// is never the home folder, where an automatic save would replace the user's files.
std::filesystem::path DesktopFolder();

// Makes sure `desktop` exists: creates it as xdg-user-dirs would (mode 0755 under the umask),
// with the folders above it that are missing inside the home folder; outside the home folder only
// the desktop folder itself is made. False, with the reason in `error`, when it cannot be made.
bool CreateDesktopFolder(const std::filesystem::path& desktop, std::string& error);

// True when a display can be reached (DISPLAY or WAYLAND_DISPLAY is set and not empty).
bool DisplayAvailable();

// The folder the running program lives in (for files shipped beside it).
std::filesystem::path ProgramFolder();

}  // namespace vellumor::platform
