#include "updater/NewVersionDialog.h"

#include <QIcon>

namespace vellumor::updater {

namespace {

QString ImageFile(int id, int background, int icon) {
  if (id == background) {
    return QStringLiteral(":/updater/updater-background.png");
  }
  if (id == icon) {
    return QStringLiteral(":/updater/updater-icon.png");
  }
  return {};
}

}  // namespace

ui::DialogResources UpdaterResources() {
  return ui::DialogResources{
      [](int bitmap) { return ImageFile(bitmap, kUpdaterBackground, -1); },
      [](int icon) { return ImageFile(icon, -1, kUpdaterIcon); },
      [](int icon) { return QIcon(ImageFile(icon, -1, kUpdaterIcon)); },
      {},
  };
}

NewVersionDialog::NewVersionDialog(QWidget* parent)
    : DialogWindow(std::make_unique<OfferRules>(), UpdaterResources(), parent) {}

NewVersionDialog::NewVersionDialog(OfferRules& offer, QWidget* parent)
    : DialogWindow(offer, UpdaterResources(), parent) {}

void NewVersionDialog::SetLines(const QString& offerLine, const QString& questionLine) {
  auto& offer = static_cast<OfferRules&>(Rules());
  offer.SetLines(offerLine.toStdString(), questionLine.toStdString());
  Prepare();
}

}  // namespace vellumor::updater
