#include "convert/AfterCreation.h"

#include "platform/PathText.h"
#include "settings/Choices.h"

namespace vellumor::convert {

void OpenPdf(const settings::Settings& settings, platform::Shell& shell, const std::filesystem::path& pdf) {
  if (settings.AdvOpenDefaultPDF == 0 && !settings.AdvOpenWith.empty()) {
    shell.OpenWith(settings.AdvOpenWith, platform::Utf8FromPath(pdf));
  } else {
    shell.OpenDocument(platform::Utf8FromPath(pdf));
  }
}

void PerformAfterCreation(JobState& state, const Services& services, const std::filesystem::path& pdf) {
  switch (settings::AfterCreationActionOf(state.settings.AfterCreation)) {
    case settings::AfterCreationAction::OpenPdf:
      OpenPdf(state.settings, services.shell, pdf);
      return;
    case settings::AfterCreationAction::Nothing:
      return;
    case settings::AfterCreationAction::ShowCompletion:
      break;
  }
  const int answer = services.ui.ShowCompletion("File: " + platform::Utf8FromPath(pdf));
  state.KeepMainWindowOpen = false;
  if (answer == platform::kCompletionYes) {
    OpenPdf(state.settings, services.shell, pdf);
  } else if (answer == platform::kCompletionSettings) {
    state.KeepMainWindowOpen = true;
  }
}

}  // namespace vellumor::convert
