#pragma once
// Which vellumor program the backend starts for a job, and how long a job may take at the printer.
// The backend runs as root and starts the program as the user who printed, so the choice must be
// one only root can make: a configuration file counts only when only root can change it (see
// ProtectedPath), and the program it names must be equally protected (else one user could put
// code of their own in front of every other user's print jobs).

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vellumor::backend {

// How long a job may take at the printer when the configuration says nothing: far beyond any real
// conversion (a 200 MB scan takes seconds), yet it frees the shared queue from a job that would
// never end by itself.
inline constexpr std::chrono::seconds kDefaultTimeLimit{600};

struct ProgramChoice {
  std::filesystem::path program;
  // From the start of the job until its PDF is written or it is in the user's session; nothing
  // when the configuration turns the limit off ("time-limit=0").
  std::optional<std::chrono::seconds> timeLimit{kDefaultTimeLimit};
  std::string error;  // why no program can be used; empty when `program` is good
};

// The configuration file of the backend at `backend`.
std::filesystem::path ConfigurationFile(const std::filesystem::path& backend);

// The system's configuration file of the backend, under the installation's configuration folder.
std::filesystem::path SystemConfigurationFile();

// The settings of the first of `configurations` that exists ("program=/absolute/path",
// "time-limit=<seconds>"), with `installedProgram` and the default limit for what it does not
// set; the program is checked either way. The backend passes the file beside itself first, so that
// a backend installed from a build folder, or by a test, carries its own choice.
ProgramChoice ChooseProgram(const std::vector<std::filesystem::path>& configurations,
                            const std::filesystem::path& installedProgram);

// The program compiled in as the installed one.
std::filesystem::path InstalledProgram();

}  // namespace vellumor::backend
