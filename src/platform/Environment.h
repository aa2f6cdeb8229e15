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

// XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Desktop; $HOME when that
// folder does not exist.
std::filesystem::path DesktopFolder();

// True when a display can be reached (DISPLAY or WAYLAND_DISPLAY is set and not empty).
bool DisplayAvailable();

// The folder the running program lives in (for files shipped beside it).
std::filesystem::path ProgramFolder();

}  // namespace vellumor::platform
