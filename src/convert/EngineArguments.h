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

// The same choices for 40-bit revision 2 encryption, which knows only the print, modify, copy
// and annotate bits and needs every other bit set: a choice revision 2 cannot express without
// granting more (forms alone, page assembly alone, screen readers alone) grants nothing.
std::int32_t RevisionTwoPermissions(std::int32_t mask);

// True when the record asks for an encrypted PDF: `SecAlwaysUse` on and a password given.
bool SecurityBlockActive(const settings::Settings& settings);

}  // namespace vellumor::convert
