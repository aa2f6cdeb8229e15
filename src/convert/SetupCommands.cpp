#include "convert/SetupCommands.h"

#include "convert/OutputNaming.h"
#include "platform/PathText.h"

namespace vellumor::convert {

void SelectQualityProfile(JobState& state, settings::QualityProfile profile) {
  state.settings.Quality = std::string{settings::QualityProfileText(profile)};
}

bool LoadSetupFile(JobState& state, const std::filesystem::path& path, platform::UserInteraction& ui,
                   platform::FinalLink link) {
  state.CurrentSetupFile = path;
  const settings::SetupFileRead read = settings::ReadSetupFile(path, state.settings, link);
  if (!read.read) {
    if (!read.refused.empty()) {
      ui.ShowMessage("Settings not loaded from " + platform::Utf8FromPath(path) + ": " + read.refused,
                     platform::MessageStyle::Application);
    }
    return false;
  }
  PrepareDocumentName(state);
  SelectQualityProfile(state, settings::QualityProfileFromText(state.settings.Quality));
  return true;
}

bool SaveSetupFile(JobState& state, platform::UserInteraction& ui) {
  return settings::WriteSetupFile(state.CurrentSetupFile, state.settings, ui);
}

}  // namespace vellumor::convert
