#pragma once
// The modal moments of one update call: the offer window, message boxes, the About box and the
// status window that stays after a network failure. Behind an interface so that tests answer
// them without anybody at the screen; the real one runs each window's own modal loop.

#include <QMessageBox>
#include <QString>
#include <memory>

namespace vellumor::updater {

class NewVersionDialog;
class UpdaterAboutDialog;
class UpdaterStatusDialog;

// The caption of the updater's message boxes: the library's name.
inline constexpr const char* kUpdaterCaption = "Updater";

class UpdaterPrompts {
 public:
  virtual ~UpdaterPrompts() = default;

  // Shows the filled offer window until the user answers; one of the kOffer answers.
  virtual int RunOffer(NewVersionDialog& offer) = 0;
  // A message box with an OK button, the caption "Updater" and `icon`.
  virtual void ShowMessage(QMessageBox::Icon icon, const QString& text) = 0;
  virtual void RunAbout(UpdaterAboutDialog& about) = 0;
  // Shows the status window until the user closes it; its result.
  virtual int RunStatusWindow(UpdaterStatusDialog& status) = 0;
};

std::unique_ptr<UpdaterPrompts> MakeModalPrompts();

}  // namespace vellumor::updater
