#pragma once
// The front end the program gets from libvellumor-ui.so: the Qt application, the main window
// (hidden until the user is to see it), the Qt user interaction and the updater binding.

#include <QApplication>
#include <QSocketNotifier>
#include <memory>

#include "app/FrontEnd.h"
#include "app/UpdaterLibrary.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "ui/MainWindow.h"
#include "ui/QtInteraction.h"

namespace vellumor::ui {

class QtFrontEnd final : public app::FrontEnd {
 public:
  QtFrontEnd(int argc, char** argv);
  ~QtFrontEnd() override;

  platform::UserInteraction& Interaction() override { return interaction_; }
  void CloseOnCancellation(int descriptor) override;
  int Run(app::MainController& controller, const app::StartOutcome& outcome) override;

  MainWindow& Window() { return *window_; }

 private:
  int argc_;
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<platform::Clock> clock_;
  std::unique_ptr<platform::Shell> shell_;
  QtInteraction interaction_;
  std::unique_ptr<MainWindow> window_;
  app::UpdaterLibrary updater_;
  std::unique_ptr<QSocketNotifier> cancellation_;
  bool cancelled_{false};
};

}  // namespace vellumor::ui
