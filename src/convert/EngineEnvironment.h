#pragma once
// Keeping GS_DLL, GS_LIB and GS_FONTPATH away from the engine: emptied in this process and
// removed from the machine's persistent environment before every engine run.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace vellumor::convert {

inline constexpr std::string_view kMachineEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Where the persistent machine environment lives.
struct EngineEnvironmentPlaces {
  platform::Registry* registry{nullptr};         // NT family: the machine environment key
  bool windows9xFamily{false};                   // true: the boot files below instead of the registry
  std::vector<std::filesystem::path> bootFiles;  // tried in order ("c:\autoexec.bat", "d:\autoexec.bat")
};

// The places of this machine: the registry, NT family.
EngineEnvironmentPlaces SystemEngineEnvironmentPlaces(platform::Registry& registry);

// Result codes: 0 done or nothing to do, 5 access denied, 1 any other failure.
int RemoveEnvironmentVariable(const EngineEnvironmentPlaces& places, std::string_view name);

void ClearEngineEnvironment(const EngineEnvironmentPlaces& places);

// "Error - <operation> : <system text>", cut to 259 characters, to DiagnosticOutput.
void ReportSystemError(std::string_view operation, long code);
// Writes the text to standard error (nothing is shown to the user).
void DiagnosticOutput(std::string_view text);

}  // namespace vellumor::convert
