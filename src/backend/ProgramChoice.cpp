#include "backend/ProgramChoice.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>

#include "backend/ProtectedPath.h"

namespace vellumor::backend {
namespace {

constexpr std::string_view kProgramKey = "program=";
constexpr std::string_view kTimeLimitKey = "time-limit=";
// A day: a larger value is no limit a printer needs, and likely a typing error.
constexpr long long kLongestTimeLimit = 86400;

std::string Trimmed(std::string text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) {
    return "";
  }
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The limit a "time-limit=" value sets (nothing for 0); false when the value is not a number of
// seconds within a day.
bool ParseTimeLimit(std::string_view value, std::optional<std::chrono::seconds>& limit) {
  long long seconds = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc{} || end != value.data() + value.size() || seconds < 0 || seconds > kLongestTimeLimit) {
    return false;
  }
  limit = seconds == 0 ? std::nullopt : std::optional{std::chrono::seconds{seconds}};
  return true;
}

// Takes the settings of the configuration file `config` into `choice`; "" when it could, else why not.
std::string ReadSettings(const std::filesystem::path& config, ProgramChoice& choice) {
  if (std::string reason = UnprotectedReason(config); !reason.empty()) {
    return "ignoring " + config.string() + ": " + reason;
  }
  std::ifstream in(config);
  if (!in) {
    return "cannot read " + config.string();
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trimmed(line);
    const std::string where = config.string() + " line " + std::to_string(number);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.starts_with(kProgramKey)) {
      choice.program = Trimmed(line.substr(kProgramKey.size()));
    } else if (line.starts_with(kTimeLimitKey)) {
      if (!ParseTimeLimit(Trimmed(line.substr(kTimeLimitKey.size())), choice.timeLimit)) {
        return where + ": the time limit is not a number of seconds from 0 (none) to " +
               std::to_string(kLongestTimeLimit);
      }
    } else {
      return where + ": unknown setting \"" + line + "\"";
    }
  }
  return "";
}

}  // namespace

std::filesystem::path ConfigurationFile(const std::filesystem::path& backend) {
  std::filesystem::path file = backend;
  file += ".conf";
  return file;
}

std::filesystem::path SystemConfigurationFile() {
  return VELLUMOR_SYSTEM_CONFIGURATION;
}

std::filesystem::path InstalledProgram() {
  return VELLUMOR_INSTALLED_PROGRAM;
}

ProgramChoice ChooseProgram(const std::vector<std::filesystem::path>& configurations,
                            const std::filesystem::path& installedProgram) {
  ProgramChoice choice;
  choice.program = installedProgram;
  const auto found = std::find_if(configurations.begin(), configurations.end(), [](const auto& file) {
    std::error_code missing;
    return std::filesystem::exists(std::filesystem::symlink_status(file, missing));
  });
  if (found != configurations.end()) {
    if (std::string error = ReadSettings(*found, choice); !error.empty()) {
      return {{}, {}, error};
    }
  }
  const std::filesystem::path program = choice.program;
  if (!program.is_absolute()) {
    return {{}, {}, "the program \"" + program.string() + "\" is not an absolute path"};
  }
  if (std::string reason = UnprotectedReason(program); !reason.empty()) {
    return {{}, {}, "refusing to start " + program.string() + ": " + reason};
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error) || ::access(program.c_str(), X_OK) != 0) {
    return {{}, {}, program.string() + " is not a program"};
  }
  return choice;
}

}  // namespace vellumor::backend
