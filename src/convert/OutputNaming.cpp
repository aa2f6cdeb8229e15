#include "convert/OutputNaming.h"

#include "convert/DateTokens.h"
#include "convert/FileNames.h"
#include "convert/SetupCommands.h"

namespace vellumor::convert {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

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
bool AddPrefixAndPostfix(MainWindowState& state) {
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

}  // namespace

void PrepareDocumentName(MainWindowState& state) {
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

void LoadSiblingSettings(MainWindowState& state, const platform::TempFolder& temp) {
  LoadSetupFile(state, temp.Path() / kSiblingSetupFileName);
}

void ApplyNamingRules(MainWindowState& state, const platform::Clock& clock) {
  if (!state.settings.AdvFixedFilename.empty()) {
    state.OutputFileName = state.settings.AdvFixedFilename;
  }
  state.BaseFileName = state.OutputFileName;
  if (!AddPrefixAndPostfix(state)) {
    return;
  }
  state.OutputFileName = SoundFileName(ExpandDateTokens(state.OutputFileName, clock.Now()));
}

void ReapplyNamingRulesBefore(MainWindowState& state) {
  if (!state.settings.AdvFixedFilename.empty()) {
    state.OutputFileName = state.settings.AdvFixedFilename;
  }
  if (state.OutputFileName != kNoFileName) {
    state.OutputFileName = state.BaseFileName;
  }
}

void ReapplyNamingRulesAfter(MainWindowState& state, const platform::Clock& clock) {
  if (state.OutputFileName == kNoFileName) {
    return;
  }
  if (AddPrefixAndPostfix(state)) {
    state.OutputFileName = ExpandDateTokens(state.OutputFileName, clock.Now());
  }
}

void ChooseSaveFolder(MainWindowState& state, std::string_view newSaveAs, platform::UserInteraction& ui) {
  state.settings.SaveAs = std::string{newSaveAs};
  if (!StartsWith(newSaveAs, "U")) {
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

std::optional<OutputPath> ResolveOutputPath(MainWindowState& state, const Services& services) {
  state.OutputFileName = SoundFileName(state.OutputFileName);
  const settings::Settings& s = state.settings;
  if (StartsWith(s.SaveAs, "U") && !s.SaveToPath.empty()) {
    return OutputPath{std::filesystem::path{s.SaveToPath} / state.OutputFileName, false};
  }
  if (StartsWith(s.SaveAs, "S") && !s.SaveToPath.empty()) {
    // A desktop folder written for a service account names the user who is logged on instead.
    std::string desktop = services.desktopFolder.string();
    ReplaceAll(desktop, "LocalService", services.logonName);
    return OutputPath{std::filesystem::path{desktop} / state.OutputFileName, false};
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
  std::filesystem::path path{*chosen};
  state.OutputFileName = path.filename().string();
  return OutputPath{path, true};
}

}  // namespace vellumor::convert
