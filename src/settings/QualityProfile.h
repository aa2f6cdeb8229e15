#pragma once
// The five quality profiles, held in the record as their description text.

#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace vellumor::settings {

enum class QualityProfile { Screen, eBook, Print, PrePress, Custom };

// The exact description text a profile stores in `Quality`.
std::string_view QualityProfileText(QualityProfile profile);
// Recognises a profile from the leading characters of a `Quality` text; never fails (Print).
QualityProfile QualityProfileFromText(std::string_view text);

// The summaries the main window shows (never persisted).
std::string SecuritySummaryText(const Settings& settings);
std::string DocumentSummaryText(const Settings& settings);

}  // namespace vellumor::settings
