#pragma once
// Main-window operations on the whole record: choosing a profile, and loading or saving the
// current setup file.

#include <filesystem>

#include "convert/JobState.h"
#include "platform/UserInteraction.h"
#include "platform/WholeFile.h"
#include "settings/QualityProfile.h"

namespace vellumor::convert {

// Stores the profile's description in `Quality`.
void SelectQualityProfile(JobState& state, settings::QualityProfile profile);

// Makes `path` the current setup file and reads it over the record (a missing file changes
// nothing else), then trims the document name and selects the profile again. False when the file could not be read; a
// name that holds no setup file at all (a device, a FIFO, a refused link, a runaway size) is reported.
bool LoadSetupFile(JobState& state, const std::filesystem::path& path, platform::UserInteraction& ui,
                   platform::FinalLink link = platform::FinalLink::Follow);
// Writes the record to the current setup file.
bool SaveSetupFile(JobState& state, platform::UserInteraction& ui);

}  // namespace vellumor::convert
