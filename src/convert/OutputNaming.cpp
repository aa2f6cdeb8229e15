#include "convert/OutputNaming.h"

#include <algorithm>
#include <system_error>

#include "convert/DateTokens.h"
#include "convert/EngineEnvironment.h"
#include "convert/FileNames.h"
#include "convert/SetupCommands.h"
#include "platform/Environment.h"
#include "platform/FileIdentity.h"
#include "platform/PathText.h"
#include "settings/Choices.h"

namespace vellumor::convert {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) {
    return;
  }
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Prefix in front; postfix in place of the trailing ".pdf" (the last four characters, whatever
// they are), followed by ".pdf". True when either was applied.
bool AddPrefixAndPostfix(JobState& state) {
  const settings::Settings& s = state.settings;
  if (!s.AdvPrefixFilename.empty()) {
    state.OutputFileName = s.AdvPrefixFilename + state.OutputFileName;
  }
  if (!s.AdvPostfixFilename.empty()) {
    std::string& name = state.OutputFileName;
    name.erase(name.size() >= 4 ? name.size() - 4 : 0);
    name += s.AdvPostfixFilename + ".pdf";
  }
  return !s.AdvPrefixFilename.empty() || !s.AdvPostfixFilename.empty();
}

// Names tried beside a file that is being printed before giving up.
constexpr int kMaxNameNumber = 9999;

// A PDF saved over the document print-files mode is printing would replace the user's file with
// its re-rendered copy (appending would grow it with itself): the PDF takes a free name beside it.
void AvoidFilesBeingPrinted(JobState& state, OutputPath& output) {
  if (state.FilesBeingPrinted.empty()) {
    return;
  }
  const std::optional<platform::FileIdentity> identity = platform::IdentityOf(output.path);
  if (!identity || std::find(state.FilesBeingPrinted.begin(), state.FilesBeingPrinted.end(), *identity) ==
                       state.FilesBeingPrinted.end()) {
    return;
  }
  const std::string stem = platform::Utf8FromPath(output.path.stem());
  const std::string extension = platform::Utf8FromPath(output.path.extension());
  for (int number = 2; number <= kMaxNameNumber; ++number) {
    const std::filesystem::path candidate =
        output.path.parent_path() / platform::PathFromUtf8(stem + " (" + std::to_string(number) + ")" + extension);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
      DiagnosticOutput("vellumor: " + platform::Utf8FromPath(output.path) +
                       " is the file being printed; the PDF is saved as " + platform::Utf8FromPath(candidate) +
                       " instead");
      output.path = candidate;
      state.OutputFileName = platform::Utf8FromPath(candidate.filename());
      return;
    }
  }
  output = OutputPath{
      {},
      false,
      platform::Utf8FromPath(output.path) + " is the file being printed, and no free name was found beside it."};
}

}  // namespace

void PrepareDocumentName(JobState& state) {
  if (!state.DocumentName.empty() && state.settings.AdvSheafwrightFilename == 0) {
    state.DocumentName.clear();
  }
  if (!state.DocumentName.empty()) {
    const std::size_t dot = state.DocumentName.find('.');
    if (dot != std::string::npos && dot > 0) {
      state.DocumentName.erase(dot);
    }
    state.FileNameTint = true;
  }
}

void LoadSiblingSettings(JobState& state, const platform::TempFolder& temp, platform::UserInteraction& ui) {
  // A link at the sibling's name was not put there by the sibling product.
  LoadSetupFile(state, temp.Path() / kSiblingSetupFileName, ui, platform::FinalLink::Refuse);
}

void ApplyNamingRules(JobState& state, const platform::Clock& clock) {
  if (!state.settings.AdvFixedFilename.empty()) {
    state.OutputFileName = state.settings.AdvFixedFilename;
  }
  state.BaseFileName = state.OutputFileName;
  if (!AddPrefixAndPostfix(state)) {
    return;
  }
  state.OutputFileName = SoundFileName(ExpandDateTokens(state.OutputFileName, clock.Now()));
}

void ReapplyNamingRulesBefore(JobState& state) {
  if (!state.settings.AdvFixedFilename.empty()) {
    state.OutputFileName = state.settings.AdvFixedFilename;
  }
  if (state.OutputFileName != kNoFileName) {
    state.OutputFileName = state.BaseFileName;
  }
}

void ReapplyNamingRulesAfter(JobState& state, const platform::Clock& clock) {
  if (state.OutputFileName == kNoFileName) {
    return;
  }
  if (AddPrefixAndPostfix(state)) {
    state.OutputFileName = ExpandDateTokens(state.OutputFileName, clock.Now());
  }
}

void ChooseSaveFolder(JobState& state, std::string_view newSaveAs, platform::UserInteraction& ui) {
  state.settings.SaveAs = std::string{newSaveAs};
  if (settings::SaveTargetOf(newSaveAs) != settings::SaveTarget::Folder) {
    return;
  }
  const std::optional<std::string> folder =
      ui.ChooseFolder("Save to path...", "Please choose your directory...", state.settings.SaveToPath);
  if (folder) {
    state.settings.SaveToPath = *folder;
  } else {
    state.settings.SaveAs = std::string{settings::entries::kAskAuto};
  }
}

namespace {

// The path for the save mode, before the files being printed are kept clear of.
std::optional<OutputPath> ChooseOutputPath(JobState& state, const Services& services) {
  state.OutputFileName = SoundFileName(state.OutputFileName);
  const settings::Settings& s = state.settings;
  const settings::SaveTarget target = settings::SaveTargetOf(s.SaveAs);
  if (target == settings::SaveTarget::Folder && !s.SaveToPath.empty()) {
    return OutputPath{platform::PathFromUtf8(s.SaveToPath) / platform::PathFromUtf8(state.OutputFileName), false, {}};
  }
  if (target == settings::SaveTarget::Desktop && !s.SaveToPath.empty()) {
    // A desktop folder written for a service account names the user who is logged on instead.
    std::string desktopText = platform::Utf8FromPath(services.desktopFolder);
    ReplaceAll(desktopText, "LocalService", services.logonName);
    const std::filesystem::path desktop = platform::PathFromUtf8(desktopText);
    // Without its desktop folder the PDF would land in the home folder, where an automatic save
    // replaces the user's files; the folder is made, or the conversion fails.
    if (std::string problem; !platform::CreateDesktopFolder(desktop, problem)) {
      return OutputPath{{}, false, problem};
    }
    return OutputPath{desktop / platform::PathFromUtf8(state.OutputFileName), false, {}};
  }
  platform::FileDialogRequest request;
  request.title = "Select a PDF filename to save to";
  request.filters = {{"PDF Files (*.pdf)", "*.pdf"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "pdf";
  request.initialName = state.OutputFileName;
  request.promptOverwrite = s.AdvAskOverwrite != 0;
  const std::optional<std::string> chosen = services.ui.ChooseSaveFile(request);
  if (!chosen || chosen->empty()) {
    return std::nullopt;
  }
  const std::filesystem::path path = platform::PathFromUtf8(*chosen);
  state.OutputFileName = platform::Utf8FromPath(path.filename());
  return OutputPath{path, true, {}};
}

}  // namespace

std::optional<OutputPath> ResolveOutputPath(JobState& state, const Services& services) {
  std::optional<OutputPath> output = ChooseOutputPath(state, services);
  if (output && output->failure.empty()) {
    AvoidFilesBeingPrinted(state, *output);
  }
  return output;
}

}  // namespace vellumor::convert
