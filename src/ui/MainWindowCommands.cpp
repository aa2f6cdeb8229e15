// The main window's commands that open other windows: the About window, the folder picker of a
// "Save To" choice, the option windows, and the setup-file menu.

#include <QComboBox>

#include "convert/OutputNaming.h"
#include "convert/SetupCommands.h"
#include "platform/PathText.h"
#include "ui/AboutWindow.h"
#include "ui/MainWindow.h"
#include "ui/OptionWindows.h"

namespace vellumor::ui {

void MainWindow::ShowAbout() {
  ui::AboutWindow window(shell_, ui_, this);
  about_ = &window;
  window.exec();
}

void MainWindow::OnSaveToChosen() {
  TakeControls();
  convert::ChooseSaveFolder(*state_, saveAs_->currentText().toStdString(), ui_);
  RefreshControls();
}

void MainWindow::OnAdvanced() {
  TakeControls();
  convert::ReapplyNamingRulesBefore(*state_);
  ShowAdvancedWindow(this, state_->settings, ui_);
  convert::ReapplyNamingRulesAfter(*state_, clock_);
  RefreshControls();
  repaint();
}

void MainWindow::OnSecurity() {
  ShowSecurityWindow(this, state_->settings);
  RefreshSummaries();
}

void MainWindow::OnDocumentProperties() {
  ShowDocumentPropertiesWindow(this, state_->settings);
  RefreshSummaries();
}

void MainWindow::OnCustom() {
  ShowCustomImageWindow(this, state_->settings, ui_);
  RefreshControls();
}

void MainWindow::OnSaveSettings() {
  TakeControls();
  RefreshControls();
  convert::SaveSetupFile(*state_, ui_);
}

namespace {

platform::FileDialogRequest SetupFileRequest(const char* title) {
  platform::FileDialogRequest request;
  request.title = title;
  request.filters = {{"*.vsf", "*.vsf"}, {"All Files *.*", "*.*"}};
  request.defaultExtension = "vsf";
  return request;
}

}  // namespace

void MainWindow::OnSaveSettingsAs() {
  TakeControls();
  RefreshControls();
  const std::optional<std::string> chosen = ui_.ChooseSaveFile(SetupFileRequest("Save Vellumor Setup File"));
  if (!chosen || chosen->empty()) {
    return;
  }
  state_->CurrentSetupFile = platform::PathFromUtf8(*chosen);
  convert::SaveSetupFile(*state_, ui_);
}

void MainWindow::OnLoadSettings() {
  TakeControls();
  const std::optional<std::string> chosen = ui_.ChooseOpenFile(SetupFileRequest("Open Vellumor Setup File"));
  if (!chosen || chosen->empty()) {
    return;
  }
  convert::LoadSetupFile(*state_, platform::PathFromUtf8(*chosen), ui_);
  RefreshControls();
  ShowProfileIcons();
}

}  // namespace vellumor::ui
