#pragma once
// Which vellumor program the backend starts for a job. The backend runs as root and starts the
// program as the user who printed, so the choice must be one only root can make: the file
// "<backend>.conf" beside the backend counts only when root owns it and its folder and nobody
// else can write to either, and the program it names must be equally protected (else one user
// could put code of their own in front of every other user's print jobs).

#include <filesystem>
#include <string>

namespace vellumor::port {

struct ProgramChoice {
  std::filesystem::path program;
  std::string error;  // why no program can be used; empty when `program` is good
};

// The configuration file of the backend at `backend`.
std::filesystem::path ConfigurationFile(const std::filesystem::path& backend);

// The program named by the configuration file beside `backend` ("program=/absolute/path"),
// else `installedProgram`; checked either way.
ProgramChoice ChooseProgram(const std::filesystem::path& backend, const std::filesystem::path& installedProgram);

// The program compiled in as the installed one.
std::filesystem::path InstalledProgram();

// "" when `path` and its folder are owned by root and writable by nobody else; else the reason.
std::string UnprotectedReason(const std::filesystem::path& path);

}  // namespace vellumor::port
