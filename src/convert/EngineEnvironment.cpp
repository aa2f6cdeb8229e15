#include "convert/EngineEnvironment.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "base/StandardError.h"
#include "platform/Environment.h"
#include "platform/SystemEvents.h"
#include "registry/RegistryKey.h"

namespace vellumor::convert {

namespace {

constexpr std::array<std::string_view, 3> kEngineVariables{"GS_DLL", "GS_LIB", "GS_FONTPATH"};

// The diagnostic text holds 259 characters.
constexpr std::size_t kMaxDiagnosticLength = 259;
// Only this much of a boot-file line is looked at.
constexpr std::size_t kMaxLineWindow = 259;

int ResultForError(long code) {
  return code == platform::win_error::kAccessDenied ? 5 : 1;
}

int ReportFailure(std::string_view operation, long code) {
  ReportSystemError(operation, code);
  return ResultForError(code);
}

int RemoveFromRegistry(platform::Registry& registry, std::string_view name) {
  constexpr auto kRoot = platform::RegistryRoot::LocalMachine;
  const std::uint32_t size = registry::RegistryKey::ValueSize(registry, kRoot, kMachineEnvironmentKey, name);
  std::string current;
  // A value that cannot be read with full access is left alone without a word: users who may
  // not change the machine environment are not to be bothered.
  if (registry::RegistryKey::ReadText(registry, kRoot, kMachineEnvironmentKey, name, current, size + 1) ==
      platform::win_error::kSuccess) {
    const long error = registry::RegistryKey::RemoveValue(registry, kRoot, kMachineEnvironmentKey, name);
    if (error != platform::win_error::kSuccess) {
      return ReportFailure("Delete Value", error);
    }
  }
  // Running programs are told even when nothing changed.
  platform::BroadcastSettingChange("Environment");
  return 0;
}

std::optional<std::filesystem::path> FindBootFile(const std::vector<std::filesystem::path>& bootFiles) {
  for (const auto& candidate : bootFiles) {
    std::error_code error;
    if (std::filesystem::exists(candidate, error)) {
      return candidate;
    }
  }
  return std::nullopt;
}

long LastErrno() {
  return platform::ErrorCodeFromErrno(errno);
}

// The byte range [begin, end) of the first line that sets the variable: its text without its
// last character (the CR of a DOS line), at most 259 characters of it, contains "set <name>"
// (case-sensitive, anywhere). `end` includes the line feed.
std::optional<std::pair<std::size_t, std::size_t>> FindSetLine(std::string_view text, std::string_view name) {
  const std::string needle = "set " + std::string{name};
  std::size_t begin{0};
  while (begin < text.size()) {
    std::size_t lineEnd = text.find('\n', begin);
    if (lineEnd == std::string_view::npos) {
      lineEnd = text.size();
    }
    const std::size_t length = lineEnd - begin;
    if (length > 1) {
      const std::string_view window = text.substr(begin, std::min(length - 1, kMaxLineWindow));
      if (window.find(needle) != std::string_view::npos) {
        return std::pair{begin, std::min(lineEnd + 1, text.size())};
      }
    }
    begin = lineEnd + 1;
  }
  return std::nullopt;
}

int RemoveFromBootFile(const std::vector<std::filesystem::path>& bootFiles, std::string_view name) {
  const auto path = FindBootFile(bootFiles);
  if (!path) {
    DiagnosticOutput("Failed to locate Autoexec.bat on c:\\ or d:\\ ");
    return 1;
  }
  // Boot files belong to systems with single-byte file names, so the narrow name is the name.
  std::FILE* file = std::fopen(path->string().c_str(), "r+b");
  if (file == nullptr) {
    return ReportFailure("Open Autoexec.bat", LastErrno());
  }
  std::string text;
  std::array<char, 4096> chunk{};
  std::size_t got{0};
  while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
    text.append(chunk.data(), got);
  }
  if (std::ferror(file) != 0) {
    const long error = LastErrno();
    std::fclose(file);
    return ReportFailure("Open Autoexec.bat", error);
  }

  const auto target = FindSetLine(text, name);
  if (!target) {
    std::fclose(file);
    return 0;
  }
  const std::string updated = text.substr(0, target->first) + text.substr(target->second);
  std::rewind(file);
  const bool written = std::fwrite(updated.data(), 1, updated.size(), file) == updated.size() && std::fflush(file) == 0;
  const long writeError = written ? 0 : LastErrno();
  std::fclose(file);
  if (!written) {
    return ReportFailure("Updating Autoexec.bat", writeError);
  }
  // Cut the file after the new content. When the line was the only content this leaves an empty
  // file: the variable has to go even then.
  std::error_code error;
  std::filesystem::resize_file(*path, updated.size(), error);
  if (error) {
    return ReportFailure("Updating Autoexec.bat", platform::ErrorCodeFromErrno(error.value()));
  }
  return 0;
}

}  // namespace

EngineEnvironmentPlaces SystemEngineEnvironmentPlaces(platform::Registry& registry) {
  // A POSIX machine is never of the Windows 95 family, and has no boot files at "c:\" or "d:\"
  // (those names would be relative file names in the working folder here).
  return EngineEnvironmentPlaces{&registry, false, {}};
}

int RemoveEnvironmentVariable(const EngineEnvironmentPlaces& places, std::string_view name) {
  if (places.windows9xFamily) {
    return RemoveFromBootFile(places.bootFiles, name);
  }
  if (places.registry == nullptr) {
    return 1;
  }
  return RemoveFromRegistry(*places.registry, name);
}

void ClearEngineEnvironment(const EngineEnvironmentPlaces& places) {
  // The engine runs in this process: it must see the variables empty right away.
  for (const std::string_view name : kEngineVariables) {
    platform::SetEnvironmentVariable(name, "");
  }
  // Each removal stands on its own; a failure is already reported and must not stop the rest.
  for (const std::string_view name : kEngineVariables) {
    RemoveEnvironmentVariable(places, name);
  }
}

void ReportSystemError(std::string_view operation, long code) {
  std::string text = "Error - " + std::string{operation} + " : " + platform::SystemErrorText(code);
  if (text.size() > kMaxDiagnosticLength) {
    text.resize(kMaxDiagnosticLength);
  }
  DiagnosticOutput(text);
}

void DiagnosticOutput(std::string_view text) {
  // One text per line, so that diagnostics stay apart in a log.
  if (!text.empty()) {
    base::WriteLine(stderr, text);
  }
}

}  // namespace vellumor::convert
