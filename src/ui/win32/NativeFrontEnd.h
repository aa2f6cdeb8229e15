#pragma once
// The front end of the program on Windows, linked into it: the main window made (hidden) from its
// description as soon as the front end exists, the native user interaction, and the updater
// binding. app::LoadFrontEnd makes it; when no window can be made (no desktop to show it on) the
// program runs unattended.

#include <memory>
#include <string>

#include "app/FrontEnd.h"
#include "app/UpdaterLibrary.h"
#include "platform/Clock.h"
#include "ui/model/MainDialog.h"
#include "ui/win32/NativeDialog.h"
#include "ui/win32/NativeInteraction.h"

namespace vellumor::native {

class NativeFrontEnd final : public app::FrontEnd {
 public:
  // Nothing, with the reason in `error`, when the main window cannot be made.
  static std::unique_ptr<NativeFrontEnd> Create(std::string& error);
  ~NativeFrontEnd() override;

  platform::UserInteraction& Interaction() override { return interaction_; }
  void CloseOnCancellation(int descriptor) override;
  int Run(app::MainController& controller, const app::StartOutcome& outcome) override;

  NativeDialog& Window() { return *window_; }

 private:
  NativeFrontEnd();

  std::unique_ptr<platform::Clock> clock_;
  NativeInteraction interaction_;
  dialog::MainDialog rules_;
  std::unique_ptr<NativeDialog> window_;
  app::UpdaterLibrary updater_;
};

}  // namespace vellumor::native
