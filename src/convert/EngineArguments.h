#pragma once
// The Ghostscript argument vector of one conversion, built from the settings record.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/Settings.h"

namespace vellumor::convert {

// Slot 0 ("Vellumor") to the security arguments; the caller appends the output file and the
// input files.
std::vector<std::string> BuildEngineArguments(const settings::Settings& settings);

// The PDF permission value (/P) for the user's choices: -3904 grants nothing; each choice adds
// exactly the bits it allows.
std::int32_t PermissionMask(const settings::Settings& settings);

// True when the record asks for an encrypted PDF: `SecAlwaysUse` on and a password given.
bool SecurityBlockActive(const settings::Settings& settings);

}  // namespace vellumor::convert
