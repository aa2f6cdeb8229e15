#pragma once
// Where the PDF goes and what it is called: the document name handed over on the command line,
// the user's naming rules (fixed name, prefix, postfix, date tokens) and the save modes.

#include <filesystem>
#include <optional>
#include <string>

#include "convert/JobState.h"
#include "convert/Services.h"

namespace vellumor::convert {

inline constexpr std::string_view kSiblingSetupFileName = "Sheafwright.vsf";

// Drops the document name unless the sibling product's naming is on; otherwise cuts it at its
// first dot and tints the file-name field.
void PrepareDocumentName(JobState& state);

// Reads the sibling product's setup file from the temporary folder, when there is one.
void LoadSiblingSettings(JobState& state, const platform::TempFolder& temp, platform::UserInteraction& ui);

// Fixed name, prefix and postfix; date tokens and illegal characters only when a prefix or
// postfix is set.
void ApplyNamingRules(JobState& state, const platform::Clock& clock);

// Around the Advanced window: back to the base name before it opens, the rules again after it
// closed.
void ReapplyNamingRulesBefore(JobState& state);
void ReapplyNamingRulesAfter(JobState& state, const platform::Clock& clock);

// A new "Save To" choice: the folder modes let the user pick the folder; cancelling the picker
// falls back to "Ask when creating PDF (automatic)".
void ChooseSaveFolder(JobState& state, std::string_view newSaveAs, platform::UserInteraction& ui);

struct OutputPath {
  std::filesystem::path path;
  bool fromSaveDialog{false};
  std::string failure;  // why no PDF can be saved (then `path` is empty); "" when it can
};

// The full path of the PDF for the current save mode; nothing when the save dialog was cancelled.
// The desktop mode creates the desktop folder when it is missing. A path that leads to a file
// this job is printing is replaced by the first free "<name> (2).pdf", "<name> (3).pdf"... beside
// it, with a line on standard error.
std::optional<OutputPath> ResolveOutputPath(JobState& state, const Services& services);

}  // namespace vellumor::convert
