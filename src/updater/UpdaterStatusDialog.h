#pragma once
// The status window that carries one whole update check, rendered from its description
// (updater/UpdaterWindows.h). The check runs while the window is being set up, before it is ever
// shown; the window appears only when a network failure stopped the check, and then stays until
// the user closes it.

#include "platform/Shell.h"
#include "ui/DialogWindow.h"
#include "updater/CheckServices.h"
#include "updater/UpdateArguments.h"
#include "updater/Updater.h"
#include "updater/UpdaterPrompts.h"
#include "updater/UpdaterWindows.h"

namespace vellumor::updater {

class UpdaterStatusDialog final : public ui::DialogWindow, private StatusWindowHost {
  Q_OBJECT

 public:
  UpdaterStatusDialog(UpdateArguments arguments, const UpdaterServices& services, QWidget* parent = nullptr);

  // The window's initialisation with the check in it; returns the call's result.
  int Run();

  const CheckContext& Context() const { return rules_.Context(); }

 private:
  void PumpMessages() override;
  int RunOffer(OfferRules& offer) override;
  void ShowMessage(MessageIcon icon, std::string_view text) override;
  void RunAbout(UpdaterAboutRules& about) override;
  int StayOpen() override;
  void OpenPage(std::string_view address) override;

  StatusRules& rules_;
  const UpdaterServices& services_;
};

}  // namespace vellumor::updater
