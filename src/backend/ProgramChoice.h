#pragma once
// Which vellumor program the backend starts for a job. The backend runs as root and starts the
// program as the user who printed, so the choice must be one only root can make: a configuration
// file counts only when root owns it and its folder and nobody else can write to either, and the
// program it names must be equally protected (else one user could put code of their own in front
// of every other user's print jobs).

#include <filesystem>
#include <string>
#include <vector>

namespace vellumor::backend {

struct ProgramChoice {
  std::filesystem::path program;
  std::string error;  // why no program can be used; empty when `program` is good
};

// The configuration file of the backend at `backend`.
std::filesystem::path ConfigurationFile(const std::filesystem::path& backend);

// The system's configuration file of the backend, under the installation's configuration folder.
std::filesystem::path SystemConfigurationFile();

// The program named ("program=/absolute/path") by the first of `configurations` that exists, else
// `installedProgram`; checked either way. The backend passes the file beside itself first, so that
// a backend installed from a build folder, or by a test, carries its own choice.
ProgramChoice ChooseProgram(const std::vector<std::filesystem::path>& configurations,
                            const std::filesystem::path& installedProgram);

// The program compiled in as the installed one.
std::filesystem::path InstalledProgram();

// "" when `path` and its folder are owned by root and writable by nobody else; else the reason.
std::string UnprotectedReason(const std::filesystem::path& path);

}  // namespace vellumor::backend
