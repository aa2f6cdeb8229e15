#include "updater/UpdaterStatusDialog.h"

#include <QCoreApplication>

#include "updater/NewVersionDialog.h"
#include "updater/Updater.h"
#include "updater/UpdaterAboutDialog.h"

namespace vellumor::updater {

namespace {

QString FromText(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

UpdaterStatusDialog::UpdaterStatusDialog(UpdateArguments arguments, const UpdaterServices& services, QWidget* parent)
    : DialogWindow(std::make_unique<StatusRules>(std::move(arguments), services.check), UpdaterResources(), parent),
      rules_{static_cast<StatusRules&>(Rules())},
      services_{services} {
  rules_.Attach(*this);
}

int UpdaterStatusDialog::Run() {
  return rules_.Run(*this);
}

void UpdaterStatusDialog::PumpMessages() {
  QCoreApplication::processEvents();
}

int UpdaterStatusDialog::RunOffer(OfferRules& offer) {
  NewVersionDialog window(offer, this);
  window.Prepare();
  return services_.prompts.RunOffer(window);
}

void UpdaterStatusDialog::ShowMessage(MessageIcon icon, std::string_view text) {
  services_.prompts.ShowMessage(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning,
                                FromText(text));
}

void UpdaterStatusDialog::RunAbout(UpdaterAboutRules& about) {
  UpdaterAboutDialog window(about, this);
  window.Prepare();
  services_.prompts.RunAbout(window);
}

int UpdaterStatusDialog::StayOpen() {
  return services_.prompts.RunStatusWindow(*this);
}

void UpdaterStatusDialog::OpenPage(std::string_view address) {
  services_.shell.OpenDocument(address);
}

}  // namespace vellumor::updater
