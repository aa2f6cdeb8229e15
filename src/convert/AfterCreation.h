#pragma once
// What happens once the PDF exists: confirm and offer to open it, open it at once, or nothing.

#include <filesystem>

#include "convert/JobState.h"
#include "convert/Services.h"

namespace vellumor::convert {

void PerformAfterCreation(JobState& state, const Services& services, const std::filesystem::path& pdf);

// The default viewer, or the program chosen in the Advanced window when the default viewer is
// switched off. The program gets the path as exactly one argument.
void OpenPdf(const settings::Settings& settings, platform::Shell& shell, const std::filesystem::path& pdf);

}  // namespace vellumor::convert
