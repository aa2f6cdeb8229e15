#include "updater/UpdaterPrompts.h"

#include "updater/NewVersionDialog.h"
#include "updater/UpdaterAboutDialog.h"
#include "updater/UpdaterStatusDialog.h"

namespace vellumor::updater {

namespace {

class ModalPrompts final : public UpdaterPrompts {
 public:
  int RunOffer(NewVersionDialog& offer) override { return offer.exec(); }

  void ShowMessage(QMessageBox::Icon icon, const QString& text) override {
    QMessageBox box(icon, QString::fromLatin1(kUpdaterCaption), text, QMessageBox::Ok);
    box.exec();
  }

  void RunAbout(UpdaterAboutDialog& about) override { about.exec(); }

  int RunStatusWindow(UpdaterStatusDialog& status) override { return status.exec(); }
};

}  // namespace

std::unique_ptr<UpdaterPrompts> MakeModalPrompts() {
  return std::make_unique<ModalPrompts>();
}

}  // namespace vellumor::updater
