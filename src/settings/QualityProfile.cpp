#include "settings/QualityProfile.h"

namespace vellumor::settings {

namespace {

constexpr std::string_view kScreenText = "Smallest size files, images suitable for on screen viewing only.";
// The doubled ampersand is stored as it is; the label that shows the text turns it into one "&".
constexpr std::string_view kEbookText = "Medium size files, for web && office, images are compressed.";
constexpr std::string_view kPrintText = "Large files, high quality for printing.";
constexpr std::string_view kPrePressText = "Largest files, preserves source quality where possible.";
constexpr std::string_view kCustomText = "Based on custom settings.";

}  // namespace

std::string_view QualityProfileText(QualityProfile profile) {
  switch (profile) {
    case QualityProfile::Screen:
      return kScreenText;
    case QualityProfile::eBook:
      return kEbookText;
    case QualityProfile::Print:
      return kPrintText;
    case QualityProfile::PrePress:
      return kPrePressText;
    case QualityProfile::Custom:
      return kCustomText;
  }
  return kPrintText;
}

QualityProfile QualityProfileFromText(std::string_view text) {
  // Print has no test of its own: its text starts with "Large", which only the seven-character
  // "Largest" test could catch, so it falls through to the default with every unknown text.
  if (text.starts_with('S')) {
    return QualityProfile::Screen;
  }
  if (text.starts_with('M')) {
    return QualityProfile::eBook;
  }
  if (text.starts_with("Largest")) {
    return QualityProfile::PrePress;
  }
  if (text.starts_with('B')) {
    return QualityProfile::Custom;
  }
  return QualityProfile::Print;
}

std::string SecuritySummaryText(const Settings& settings) {
  const bool openPassword{!settings.SecOpenPassword.empty()};
  const bool permPassword{!settings.SecPermPassword.empty()};
  if (openPassword && permPassword) {
    return "Password req. to open && set permissions";
  }
  if (openPassword) {
    return "Password required to open";
  }
  if (permPassword) {
    return "Password required to set permissions";
  }
  return "None";
}

std::string DocumentSummaryText(const Settings& settings) {
  // Only an exactly empty field counts as unset; a field of blanks is reported as set.
  std::string summary{"Set "};
  const auto append = [&summary](const std::string& field, std::string_view name) {
    if (!field.empty()) {
      if (summary.size() > 4) {
        summary += ", ";
      }
      summary += name;
    }
  };
  append(settings.DocTitle, "Title");
  append(settings.DocAuthor, "Author");
  append(settings.DocSubject, "Subject");
  append(settings.DocKeywords, "Keywords");
  return summary.size() > 4 ? summary : std::string{"None"};
}

}  // namespace vellumor::settings
