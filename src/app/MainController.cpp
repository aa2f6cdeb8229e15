#include "app/MainController.h"

#include <algorithm>

#include "convert/JobIntake.h"
#include "convert/OutputNaming.h"
#include "convert/SetupCommands.h"
#include "platform/PathText.h"
#include "printer/ProductPrinter.h"
#include "settings/Choices.h"
#include "settings/QualityProfile.h"
#include "settings/RegistryStore.h"

namespace vellumor::app {

std::vector<printer::FileArgument> FileArguments(const ArgumentTable& arguments, int firstFileIndex) {
  std::vector<printer::FileArgument> files;
  for (int index = std::max(firstFileIndex, 1); index < arguments.Count(); ++index) {
    const std::string& entry = arguments.entries[static_cast<std::size_t>(index)];
    files.push_back({CleanEntry(entry), arguments.cut[static_cast<std::size_t>(index)]});
  }
  return files;
}

MainController::MainController(const convert::Services& services, ArgumentTable arguments,
                               std::filesystem::path homeFolder)
    : services_{services}, arguments_{std::move(arguments)}, homeFolder_{std::move(homeFolder)} {
  state_.settings = settings::DefaultSettings(platform::Utf8FromPath(homeFolder_));
}

std::optional<int> MainController::ProcessCommandLine() {
  for (int index = 1; index < arguments_.Count(); ++index) {
    const std::string& entry = arguments_.entries[static_cast<std::size_t>(index)];
    if (!entry.starts_with("\"-")) {
      return index;
    }
    if (entry.size() > 2 && entry[2] == 'b') {
      state_.DocumentName = CleanEntry(std::string_view{entry}.substr(3));
    } else if (entry.size() > 2 && entry[2] == printer::kPrintedFileProgramOption) {
      if (const auto printed = platform::FileIdentity::Parse(CleanEntry(std::string_view{entry}.substr(3)))) {
        state_.FilesBeingPrinted.push_back(*printed);
      }
    }
  }
  return std::nullopt;
}

StartOutcome MainController::Initialise(int input) {
  state_.DocumentName.clear();
  state_.FilesBeingPrinted.clear();
  const settings::SettingsLoad stored = settings::LoadSettingsFromRegistry(services_.registry, state_.settings);
  storedSettingsUnread_ = !stored.problem.empty();
  state_.FileNameTint = false;

  if (const std::optional<int> firstFile = ProcessCommandLine()) {
    return {StartMode::PrintFiles, kExitSuccess, std::nullopt, *firstFile};
  }
  convert::PrepareDocumentName(state_);
  convert::SelectQualityProfile(state_, settings::QualityProfileFromText(state_.settings.Quality));
  convert::ReceivePrintJob(state_, services_, input);
  if (services_.Cancelled()) {
    return {StartMode::Finished, kExitNotWritten, std::nullopt, 0};
  }

  if (storedSettingsUnread_) {
    // The defaults would drop what the user set, security first: a job is refused rather than
    // written unprotected, and the editor shows the defaults without storing them over the
    // settings it could not read.
    const std::string consequence =
        state_.NoJobData ? "the defaults are shown and will not be stored" : "no PDF was written";
    services_.ui.ShowMessage("the settings could not be read (" + stored.problem + "); " + consequence,
                             platform::MessageStyle::Application);
    if (!state_.NoJobData) {
      return {StartMode::Finished, kExitNotWritten, std::nullopt, 0};
    }
  }

  if (state_.NoJobData || !settings::ConvertsAtOnce(state_.settings.SaveAs)) {
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
  if (!storedSettingsUnread_) {
    settings::SaveSettingsToRegistry(services_.registry, state_.settings);
  }
  convert::DeleteJobFile(state_);
}

void MainController::RemoveTemporaryFiles() {
  convert::RemoveTemporaryFiles(state_);
}

int MainController::PrintFiles(int firstFileIndex, platform::Spooler& printers, printer::PrintFilesPacing pacing) {
  printer::PrintFilesMode mode{printers, services_.ui, std::move(pacing)};
  const printer::PrintFilesReport report =
      mode.Run(FileArguments(arguments_, firstFileIndex), arguments_.entriesDropped);
  return report.notPrinted == 0 ? kExitSuccess : kExitNotWritten;
}

}  // namespace vellumor::app
