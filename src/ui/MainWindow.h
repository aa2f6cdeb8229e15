#pragma once
// The program's main window, rendered from its description (ui/model/MainDialog.h): it shows the
// working state the controller holds; every rule of what it does lives in its rules.

#include <QColor>

#include "app/MainController.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "platform/UserInteraction.h"
#include "settings/QualityProfile.h"
#include "ui/DialogWindow.h"
#include "ui/model/MainDialog.h"

namespace vellumor::ui {

namespace ids = dialog::ids;

class MainWindow final : public DialogWindow {
  Q_OBJECT

 public:
  // `ui` answers the prompts the window's commands raise; `clock` dates file names; `shell`
  // opens the About window's links.
  MainWindow(platform::UserInteraction& ui, const platform::Clock& clock, platform::Shell& shell,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the state of `controller` after its initialisation: settings mode, controls, summaries,
  // background. The window works on that state from now on.
  void Bind(app::MainController& controller);

  void TakeControls() { rules_.TakeControls(*this); }
  void RefreshControls() { rules_.RefreshControls(*this); }
  void SelectProfile(settings::QualityProfile profile) { rules_.SelectProfile(*this, profile); }
  void RefreshSummaries() { rules_.RefreshSummaries(*this); }

  // The progress bar in the place of "&Create PDF".
  void ShowProgressBar(bool visible) { rules_.ShowProgressBar(*this, visible); }
  void SetProgressBarPosition(int position) { SetProgress(ids::kProgressBar, position); }

  // The file-name field's brush for the state shown now.
  QColor FileNameColour() const;
  // Commands, as the buttons and menu items run them.
  void CreatePdf() { rules_.CreatePdf(*this); }
  void Cancel() { rules_.Cancel(*this); }
  void ShowAbout() { rules_.ShowAbout(*this); }
  // The job was cancelled from outside: closes without storing the settings (as soon as a
  // running conversion has stopped).
  void Abandon() { rules_.Abandon(*this); }

 protected:
  int ToolkitResult(int result) const override { return result == dialog::kOkId ? Accepted : Rejected; }

 private:
  dialog::MainDialog& rules_;
};

}  // namespace vellumor::ui
