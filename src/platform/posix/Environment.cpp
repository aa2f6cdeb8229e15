#include "platform/Environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

namespace vellumor::platform {

namespace {

bool IsValidVariableName(std::string_view name) {
  return !name.empty() && name.find('=') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// The password database entry of the effective user, copied out of the reentrant call.
struct PasswordEntry {
  std::string name;
  std::string home;
};

std::optional<PasswordEntry> LookUpEffectiveUser() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found{nullptr};
  for (;;) {
    const int result = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
    if (result == ERANGE && buffer.size() < (1U << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (result != 0 || found == nullptr) {
      return std::nullopt;
    }
    return PasswordEntry{found->pw_name != nullptr ? found->pw_name : "",
                         found->pw_dir != nullptr ? found->pw_dir : ""};
  }
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// A path in its plain form, without "." and ".." steps or a trailing separator.
std::filesystem::path Normal(const std::filesystem::path& path) {
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') {
    text.pop_back();
  }
  return text;
}

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return Normal(a) == Normal(b) || std::filesystem::equivalent(a, b, error);
}

// The folder of the XDG_DESKTOP_DIR line in a user-dirs.dirs file. The file is a shell fragment
// written by xdg-user-dirs-update: `XDG_DESKTOP_DIR="$HOME/Desktop"`, an absolute path or one
// starting with $HOME, with `\` escaping the next character. The last assignment wins, as it
// would when the shell reads the file.
std::optional<std::filesystem::path> ReadXdgDesktop(const std::filesystem::path& file,
                                                    const std::filesystem::path& home) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  constexpr std::string_view kAssignment = "XDG_DESKTOP_DIR=";
  std::optional<std::filesystem::path> result;
  std::string line;
  while (std::getline(in, line)) {
    std::string_view text{line};
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
      text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
    }
    if (!text.starts_with(kAssignment)) {
      continue;
    }
    text.remove_prefix(kAssignment.size());
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
      continue;
    }
    text = text.substr(1, text.size() - 2);
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) {
        ++i;
      }
      value += text[i];
    }
    std::string_view rest{value};
    std::string expanded;
    for (const std::string_view homeWord : {std::string_view{"$HOME"}, std::string_view{"${HOME}"}}) {
      if (rest.starts_with(homeWord) && (rest.size() == homeWord.size() || rest[homeWord.size()] == '/')) {
        expanded = home.string();
        expanded += rest.substr(homeWord.size());
        break;
      }
    }
    if (expanded.empty() && rest.starts_with('/')) {
      expanded = value;
    }
    if (!expanded.empty()) {
      result = std::filesystem::path{expanded};
    }
  }
  return result;
}

}  // namespace

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  if (!IsValidVariableName(name)) {
    return std::nullopt;
  }
  const char* value = std::getenv(std::string{name}.c_str());
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string{value};
}

bool SetEnvironmentVariable(std::string_view name, std::string_view value) {
  // An environment string ends at its first zero byte; refuse rather than store a shorter value.
  if (!IsValidVariableName(name) || value.find('\0') != std::string_view::npos) {
    return false;
  }
  return ::setenv(std::string{name}.c_str(), std::string{value}.c_str(), 1) == 0;
}

std::string LogonName() {
  if (std::optional<PasswordEntry> entry = LookUpEffectiveUser(); entry && !entry->name.empty()) {
    return entry->name;
  }
  // A user without a password entry (common in containers) is still somebody: use the number.
  return std::to_string(::geteuid());
}

std::filesystem::path HomeFolder() {
  if (std::optional<std::string> home = GetEnvironmentVariable("HOME"); home && !home->empty()) {
    return *home;
  }
  if (std::optional<PasswordEntry> entry = LookUpEffectiveUser(); entry && !entry->home.empty()) {
    return entry->home;
  }
  return "/";
}

std::filesystem::path DesktopFolder() {
  const std::filesystem::path home = HomeFolder();
  std::filesystem::path config = home / ".config";
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is invalid and ignored.
  if (std::optional<std::string> value = GetEnvironmentVariable("XDG_CONFIG_HOME"); value && value->starts_with('/')) {
    config = *value;
  }
  if (std::optional<std::filesystem::path> desktop = ReadXdgDesktop(config / "user-dirs.dirs", home);
      desktop && !SameFolder(*desktop, home)) {
    return *desktop;
  }
  if (std::optional<std::string> value = GetEnvironmentVariable("XDG_DESKTOP_DIR");
      value && value->starts_with('/') && !SameFolder(*value, home)) {
    return *value;
  }
  return home / "Desktop";
}

bool CreateDesktopFolder(const std::filesystem::path& desktop, std::string& error) {
  if (IsFolder(desktop)) {
    return true;
  }
  const std::filesystem::path target = Normal(desktop);
  const std::filesystem::path home = Normal(HomeFolder());
  const std::filesystem::path inside = target.lexically_relative(home);
  // The folders to make, outermost first: those missing below the home folder, or only the
  // desktop itself when it lies elsewhere (nothing is built up outside the user's own folder).
  std::vector<std::filesystem::path> missing{target};
  if (!inside.empty() && *inside.begin() != ".." && inside != ".") {
    if (!IsFolder(home)) {
      error = "The desktop folder " + target.string() + " cannot be created: the home folder " + home.string() +
              " does not exist.";
      return false;
    }
    for (std::filesystem::path folder = target.parent_path(); folder != home && !IsFolder(folder);
         folder = folder.parent_path()) {
      missing.insert(missing.begin(), folder);
    }
  }
  for (const std::filesystem::path& folder : missing) {
    if (::mkdir(folder.c_str(), 0755) != 0 && !(errno == EEXIST && IsFolder(folder))) {
      const int reason = errno == EEXIST ? ENOTDIR : errno;
      error = "The desktop folder " + target.string() + " does not exist and cannot be created (" + folder.string() +
              ": " + std::strerror(reason) + ").";
      return false;
    }
  }
  return true;
}

bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    if (std::optional<std::string> value = GetEnvironmentVariable(name); value && !value->empty()) {
      return true;
    }
  }
  return false;
}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return {};
  }
  return program.parent_path();
}

}  // namespace vellumor::platform
