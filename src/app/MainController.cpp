#include "app/MainController.h"

#include "convert/JobIntake.h"
#include "convert/OutputNaming.h"
#include "convert/SetupCommands.h"
#include "settings/QualityProfile.h"
#include "settings/RegistryStore.h"

namespace vellumor::app {

MainController::MainController(const convert::Services& services, ArgumentTable arguments,
                               std::filesystem::path homeFolder)
    : services_{services}, arguments_{std::move(arguments)}, homeFolder_{std::move(homeFolder)} {
  state_.settings = settings::DefaultSettings(homeFolder_.string());
}

std::optional<int> MainController::ProcessCommandLine() {
  for (int index = 1; index < arguments_.Count(); ++index) {
    const std::string& entry = arguments_.entries[static_cast<std::size_t>(index)];
    if (!entry.starts_with("\"-")) {
      return index;
    }
    if (entry.size() > 2 && entry[2] == 'b') {
      state_.DocumentName = CleanEntry(std::string_view{entry}.substr(3));
    }
  }
  return std::nullopt;
}

StartOutcome MainController::Initialise(int input) {
  state_.DocumentName.clear();
  settings::LoadSettingsFromRegistry(services_.registry, state_.settings);
  state_.FileNameTint = false;

  if (const std::optional<int> firstFile = ProcessCommandLine()) {
    return {StartMode::PrintFiles, kExitSuccess, std::nullopt, *firstFile};
  }
  convert::PrepareDocumentName(state_);
  convert::SelectQualityProfile(state_, settings::QualityProfileFromText(state_.settings.Quality));
  convert::ReceivePrintJob(state_, services_, input);
  convert::RefreshSummaries(state_);

  if (state_.NoJobData || state_.settings.SaveAs.find("(automatic)") == std::string::npos) {
    return {StartMode::WaitForUser, state_.NoJobData ? kExitNothingToDo : kExitNotWritten, std::nullopt, 0};
  }
  state_.KeepMainWindowOpen = false;
  const convert::ConversionOutcome conversion = CreatePdf();
  const int exitCode = conversion.result == convert::ConversionResult::Written ? kExitSuccess : kExitNotWritten;
  const StartMode mode = state_.KeepMainWindowOpen ? StartMode::WaitForUser : StartMode::Finished;
  return {mode, exitCode, conversion, 0};
}

convert::ConversionOutcome MainController::CreatePdf() {
  return convert::CreatePdf(state_, services_);
}

void MainController::Cancel() {
  settings::SaveSettingsToRegistry(services_.registry, state_.settings);
  convert::DeleteJobFile(state_);
}

void MainController::RemoveTemporaryFiles() {
  convert::RemoveTemporaryFiles(state_);
}

}  // namespace vellumor::app
