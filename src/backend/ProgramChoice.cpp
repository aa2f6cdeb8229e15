#include "backend/ProgramChoice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace vellumor::backend {
namespace {

constexpr std::string_view kProgramKey = "program=";

std::string CheckOne(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return path.string() + " does not exist";
  }
  if (S_ISLNK(info.st_mode)) {
    // Follow the link, but judge what it leads to as strictly as the link's own place.
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path.string() + " is a broken link" : UnprotectedReason(target);
  }
  if (info.st_uid != 0) {
    return path.string() + " is not owned by root";
  }
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return path.string() + " can be changed by other users than root";
  }
  return "";
}

std::string Trimmed(std::string text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) {
    return "";
  }
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Takes the program from the configuration file `config` into `program`; "" when it could, else why not.
std::string ReadProgramSetting(const std::filesystem::path& config, std::filesystem::path& program) {
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
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (!line.starts_with(kProgramKey)) {
      return config.string() + " line " + std::to_string(number) + ": unknown setting \"" + line + "\"";
    }
    program = Trimmed(line.substr(kProgramKey.size()));
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

std::string UnprotectedReason(const std::filesystem::path& path) {
  if (std::string reason = CheckOne(path); !reason.empty()) {
    return reason;
  }
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() || folder == path ? "" : CheckOne(folder);
}

ProgramChoice ChooseProgram(const std::vector<std::filesystem::path>& configurations,
                            const std::filesystem::path& installedProgram) {
  std::filesystem::path program = installedProgram;
  const auto found = std::find_if(configurations.begin(), configurations.end(), [](const auto& file) {
    std::error_code missing;
    return std::filesystem::exists(std::filesystem::symlink_status(file, missing));
  });
  if (found != configurations.end()) {
    if (std::string error = ReadProgramSetting(*found, program); !error.empty()) {
      return {{}, error};
    }
  }
  if (!program.is_absolute()) {
    return {{}, "the program \"" + program.string() + "\" is not an absolute path"};
  }
  if (std::string reason = UnprotectedReason(program); !reason.empty()) {
    return {{}, "refusing to start " + program.string() + ": " + reason};
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error) || ::access(program.c_str(), X_OK) != 0) {
    return {{}, program.string() + " is not a program"};
  }
  return {program, ""};
}

}  // namespace vellumor::backend
