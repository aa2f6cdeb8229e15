// The main window in settings mode and job mode, About, progress and completion.

#include <QProgressBar>

#include "screenshots/Screenshots.h"
#include "settings/RegistryStore.h"
#include "ui/CompletionWindow.h"
#include "ui/MainWindow.h"
#include "ui/ProgramResources.h"
#include "ui/ProgressWindow.h"
#include "ui/model/AboutDialog.h"

namespace vellumor::test::screenshots {
namespace {

const bool registered = Register("main window", [](Shots& shots) {
  {
    ui::MainWindow window(shots.ui, shots.clock, shots.shell);
    window.Bind(shots.StartController(""));
    shots.Save(window, QStringLiteral("main-settings-mode.png"));
  }
  settings::Settings stored = settings::DefaultSettings(shots.dir.Path().string());
  stored.SaveAs = std::string{settings::entries::kAskManual};
  stored.AdvAppend = std::string{settings::entries::kAppendToExisting};
  stored.SecAlwaysUse = 1;
  stored.SecOpenPassword = "secret";
  stored.Quality = "Screen";
  settings::SaveSettingsToRegistry(shots.registry, stored);
  ui::MainWindow window(shots.ui, shots.clock, shots.shell);
  window.Bind(shots.StartController("%!PS-Adobe-3.0\n%%Title: Quarterly Report.doc\nshowpage\n"));
  shots.Save(window, QStringLiteral("main-job-mode.png"));
  window.ShowProgressBar(true);
  window.SetProgressBarPosition(3);
  shots.Save(window, QStringLiteral("main-converting.png"));
});

const bool registeredSmallWindows = Register("about, progress, completion", [](Shots& shots) {
  ui::DialogWindow about(std::make_unique<dialog::AboutDialog>(), ui::ProgramResources(&shots.shell, &shots.ui));
  shots.Save(about, QStringLiteral("about.png"));

  ui::ProgressWindow progress;
  progress.SetLines(QStringLiteral("Filename: Quarterly Report.pdf"), QStringLiteral("Pages: 12"));
  shots.Save(progress, QStringLiteral("progress.png"));

  ui::CompletionWindow completion(QStringLiteral("File: /home/user/Desktop/Quarterly Report.pdf"));
  shots.Save(completion, QStringLiteral("completion.png"));
});

}  // namespace
}  // namespace vellumor::test::screenshots
