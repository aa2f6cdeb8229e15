#include "ui/win32/NativeFrontEnd.h"

#include <commctrl.h>

#include "platform/Environment.h"

namespace vellumor::native {

namespace {

DialogServices ProgramServices(NativeInteraction* interaction) {
  DialogServices services;
  services.module = ::GetModuleHandleW(nullptr);
  if (interaction != nullptr) {
    services.reportLinkError = [interaction](std::string_view text) {
      interaction->ShowMessage(text, platform::MessageStyle::Application);
    };
  }
  return services;
}

}  // namespace

NativeFrontEnd::NativeFrontEnd()
    : clock_{platform::MakeSystemClock()},
      interaction_{ProgramServices(&interaction_)},
      rules_{interaction_, *clock_} {}

std::unique_ptr<NativeFrontEnd> NativeFrontEnd::Create(std::string& error) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS |
                                                                  ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                                  ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  std::unique_ptr<NativeFrontEnd> frontEnd{new NativeFrontEnd};
  frontEnd->window_ =
      std::make_unique<NativeDialog>(frontEnd->rules_, ProgramServices(&frontEnd->interaction_), nullptr);
  if (!frontEnd->window_->Create(error)) {
    return nullptr;
  }
  frontEnd->interaction_.SetMainWindow(frontEnd->window_.get(), &frontEnd->rules_);
  frontEnd->updater_.Load(platform::ProgramFolder(), frontEnd->interaction_);
  return frontEnd;
}

NativeFrontEnd::~NativeFrontEnd() {
  interaction_.DestroyProgressWindow();
  interaction_.SetMainWindow(nullptr, nullptr);
  window_.reset();
}

void NativeFrontEnd::CloseOnCancellation(int /*descriptor*/) {
  // Windows has no descriptor to watch; a cancelled job ends the windows through the wake-ups of
  // their loops.
}

int NativeFrontEnd::Run(app::MainController& controller, const app::StartOutcome& outcome) {
  rules_.Bind(controller);
  // The window shows the state before the updater's check; it is shown after it.
  window_->Prepare();
  int exitCode = app::kExitSuccess;
  if (!app::PrepareToWait(outcome, updater_, exitCode)) {
    return exitCode;
  }
  window_->RunModal();
  return app::kExitSuccess;
}

}  // namespace vellumor::native

namespace vellumor::app {

std::unique_ptr<FrontEnd> LoadFrontEnd(int /*argc*/, char** /*argv*/, std::string& error) {
  return native::NativeFrontEnd::Create(error);
}

}  // namespace vellumor::app
