#include "ui/QtFrontEnd.h"

#include <QDialog>
#include <QTimer>

#include "platform/Environment.h"

namespace vellumor::ui {

QtFrontEnd::QtFrontEnd(int argc, char** argv)
    : argc_{argc},
      application_{std::make_unique<QApplication>(argc_, argv)},
      clock_{platform::MakeSystemClock()},
      shell_{platform::MakeDesktopShell()} {
  QApplication::setApplicationName(QLatin1String(kApplicationName));
  // Dialogs closing must not end the program; the main window's end does.
  QApplication::setQuitOnLastWindowClosed(false);
  // The main window's menu is part of the window, placed with its controls. A desktop's global
  // menu would take it out; merely asking whether there is one connects to the session bus and
  // leaves a thread of its own running until the very end of the process.
  QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  window_ = std::make_unique<MainWindow>(interaction_, *clock_, *shell_);
  interaction_.SetMainWindow(window_.get());
  updater_.Load(platform::ProgramFolder(), interaction_);
}

QtFrontEnd::~QtFrontEnd() {
  interaction_.DestroyProgressWindow();
  interaction_.SetMainWindow(nullptr);
  window_.reset();
}

void QtFrontEnd::CloseOnCancellation(int descriptor) {
  cancellation_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  QObject::connect(cancellation_.get(), &QSocketNotifier::activated, cancellation_.get(), [this] {
    cancellation_->setEnabled(false);
    cancelled_ = true;
    interaction_.StopAsking();
    // Every dialog waiting in its own loop ends as if dismissed; the loops unwind in turn.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (dialog != nullptr && dialog != window_.get() && dialog->isVisible()) {
        dialog->done(QDialog::Rejected);
      }
    }
    window_->Abandon();
  });
}

int QtFrontEnd::Run(app::MainController& controller, const app::StartOutcome& outcome) {
  window_->Bind(controller);
  if (cancelled_) {
    // A PDF the automatic conversion put in place before the cancel stays written.
    return outcome.mode == app::StartMode::WaitForUser ? app::kExitNotWritten : outcome.exitCode;
  }
  int exitCode = app::kExitSuccess;
  if (!app::PrepareToWait(outcome, updater_, exitCode)) {
    return exitCode;
  }
  // exec() shows the window as a modal one; showing it before would leave its modality unset
  // and let the window system's close request go astray.
  QTimer::singleShot(0, window_.get(), [window = window_.get()] {
    window->raise();
    window->activateWindow();
  });
  window_->exec();
  return app::kExitSuccess;
}

}  // namespace vellumor::ui
