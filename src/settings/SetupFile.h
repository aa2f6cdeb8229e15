#pragma once
// Setup files (".vsf"): the whole settings record as "Name;Value" lines with CR LF line ends,
// exchangeable with the Windows product.

#include <filesystem>
#include <string>

#include "platform/UserInteraction.h"
#include "platform/WholeFile.h"
#include "settings/Settings.h"

namespace vellumor::settings {

inline constexpr std::string_view kDefaultSetupFileName = "Default.vsf";

// The exact bytes of a setup file holding `settings`.
std::string SetupFileText(const Settings& settings);

// Writes `settings` to `path` through a new private file renamed over the old one. A failure
// gives "Can't save to :<path>" with the system's reason on a second line, and leaves an
// existing file whole; a successful save to any name other than "Default.vsf" gives
// "Saved to file: <path>". False when the file could not be written.
bool WriteSetupFile(const std::filesystem::path& path, const Settings& settings, platform::UserInteraction& ui);

struct SetupFileRead {
  bool read{false};
  std::string refused;  // not empty: the name holds no setup file to read (not a regular file,
                        // a refused link, far too large); why
};

// Reads the lines of a setup file over `settings` (any order, any subset; `AdvCheckUpdate` is
// never read). Not read, with `settings` unchanged, when the file cannot be opened or is refused.
SetupFileRead ReadSetupFile(const std::filesystem::path& path, Settings& settings,
                            platform::FinalLink link = platform::FinalLink::Follow);
// The same for text already in memory (accepts CR LF and LF line ends).
void ReadSetupText(std::string_view text, Settings& settings);

}  // namespace vellumor::settings
