#pragma once
// Main-window operations on the whole record: choosing a profile, refreshing the summaries, and
// loading or saving the current setup file.

#include <filesystem>

#include "convert/MainWindowState.h"
#include "platform/UserInteraction.h"
#include "platform/WholeFile.h"
#include "settings/QualityProfile.h"

namespace vellumor::convert {

// Stores the profile's description in `Quality`.
void SelectQualityProfile(MainWindowState& state, settings::QualityProfile profile);
// Recomputes the security and document-properties summaries from the record.
void RefreshSummaries(MainWindowState& state);

// Makes `path` the current setup file and reads it over the record (a missing file changes
// nothing else), then trims the document name, selects the profile again and refreshes the
// summaries. False when the file could not be read; a name that holds no setup file at all (a
// device, a FIFO, a refused link, a runaway size) is reported.
bool LoadSetupFile(MainWindowState& state, const std::filesystem::path& path, platform::UserInteraction& ui,
                   platform::FinalLink link = platform::FinalLink::Follow);
// Writes the record to the current setup file.
bool SaveSetupFile(MainWindowState& state, platform::UserInteraction& ui);

}  // namespace vellumor::convert
