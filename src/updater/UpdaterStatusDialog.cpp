#include "updater/UpdaterStatusDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <utility>

#include "updater/UpdateCheck.h"
#include "updater/UpdaterAboutDialog.h"
#include "updater/UpdaterWindowParts.h"

namespace vellumor::updater {

namespace {

QString FromText(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

UpdaterStatusDialog::UpdaterStatusDialog(UpdateArguments arguments, const UpdaterServices& services, QWidget* parent)
    : BitmapBackgroundDialog(parent),
      context_{std::move(arguments), {}, {}, {}, {}, {}},
      services_{services},
      offer_{this} {
  setWindowTitle(QStringLiteral("Corvane Software Updater"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(ui::DialogFont());
  setFixedSize(ui::DialogUnits(font()).Size(271, 182));
  BuildControls();
  IgnoreEnterAndEscape(this);
}

void UpdaterStatusDialog::BuildControls() {
  ControlPlacer place(this);
  place.Frame(QStringLiteral("Local"), 18, 7, 231, 55);
  place.Text(kNoId, QStringLiteral("Product:"), 30, 23, 48, 8);
  product_ = place.Text(kProductFieldId, QString(), 81, 23, 173, 8);
  place.Text(kNoId, QStringLiteral("Version:"), 30, 44, 48, 8);
  version_ = place.Text(kVersionFieldId, QString(), 81, 44, 47, 8);

  place.Frame(QStringLiteral("Web"), 19, 65, 228, 89);
  place.Text(kNoId, QStringLiteral("Corvane Version:"), 25, 82, 54, 8);
  makerVersion_ = place.Text(kMakerVersionFieldId, QString(), 80, 82, 47, 8);
  place.Text(kNoId, QStringLiteral("CNET Version:"), 25, 100, 53, 8);
  portalVersion_ = place.Text(kPortalVersionFieldId, QString(), 79, 100, 47, 8);
  place.Text(kNoId, QStringLiteral("Status:"), 25, 124, 53, 8);
  status_ = place.Text(kStatusFieldId, QString(), 80, 124, 161, 22);
  status_->setWordWrap(true);

  // Linux window managers offer no window menu to extend, so the About entry is the window's
  // context menu.
  auto* about = new QAction(QString::fromLatin1(kAboutMenuText), this);
  connect(about, &QAction::triggered, this, &UpdaterStatusDialog::ShowAbout);
  addAction(about);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

int UpdaterStatusDialog::Run() {
  ShowStatus(context_);
  LoadBackground(QString::fromLatin1(kUpdaterBackground));
  const QIcon icon(QString::fromLatin1(kUpdaterIcon));
  setWindowIcon(icon);
  // Without a product name there is nothing to show, and without a key name the check would read
  // and stamp the maker's own key, which every product of the maker shares: no check at all.
  if (context_.arguments.productName.empty() || context_.arguments.productKey.empty()) {
    return kUpdateDone;
  }
  const CheckOutcome outcome = UpdateCheck{context_, services_.check, *this}.Run();
  if (!outcome.transportFailure) {
    return outcome.result;
  }
  const QString description = FromText(*outcome.transportFailure);
  services_.prompts.ShowMessage(QMessageBox::Critical,
                                description.isEmpty() ? QString::fromLatin1(kInternalErrorMessage) : description);
  // The window stays with the last status until the user closes it.
  return services_.prompts.RunStatusWindow(*this);
}

void UpdaterStatusDialog::reject() {
  done(kUpdateWindowClosed);
}

void UpdaterStatusDialog::ShowStatus(const CheckContext& context) {
  product_->setText(FromText(context.arguments.productName));
  version_->setText(FromText(context.arguments.productVersion));
  makerVersion_->setText(FromText(context.makerVersionText));
  portalVersion_->setText(FromText(context.portalVersionText));
  QString status = FromText(context.status);
  status.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  status_->setText(status.trimmed());
  // Let the caller's windows repaint and take input between the steps of the check.
  QCoreApplication::processEvents();
}

int UpdaterStatusDialog::AskOffer(std::string_view offerLine, std::string_view questionLine) {
  offer_.SetLines(FromText(offerLine), FromText(questionLine));
  return services_.prompts.RunOffer(offer_);
}

void UpdaterStatusDialog::ShowNoUpdates(std::string_view text) {
  services_.prompts.ShowMessage(QMessageBox::Warning, FromText(text));
}

void UpdaterStatusDialog::OpenPage(std::string_view address) {
  services_.shell.OpenDocument(address);
}

void UpdaterStatusDialog::ShowAbout() {
  UpdaterAboutDialog about(this);
  services_.prompts.RunAbout(about);
}

}  // namespace vellumor::updater
