#include "updater/NewVersionDialog.h"

#include <QFont>
#include <QPushButton>

#include "updater/CheckView.h"
#include "updater/UpdaterWindowParts.h"

namespace vellumor::updater {

NewVersionDialog::NewVersionDialog(QWidget* parent) : BitmapBackgroundDialog(parent) {
  setWindowTitle(QStringLiteral("New Version Available"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ui::DialogFont());
  setFixedSize(ui::DialogUnits(font()).Size(268, 134));

  ControlPlacer place(this);
  place.Frame(QString(), 7, 3, 254, 103);
  offerLine_ = place.Text(kOfferLineId, QString(), 30, 14, 221, 22);
  questionLine_ = place.Text(kQuestionLineId, QString(), 30, 41, 221, 24);
  for (QLabel* line : {offerLine_, questionLine_}) {
    line->setWordWrap(true);
  }

  QPushButton* update = place.Button(kUpdateButtonId, QStringLiteral("Update"), 29, 68, 218, 28);
  QFont large = update->font();
  large.setPointSize(large.pointSize() + 4);
  large.setBold(true);
  update->setFont(large);
  update->setDefault(true);
  QPushButton* never = place.Button(kNeverButtonId, QStringLiteral("Never"), 7, 113, 50, 14);
  QPushButton* notNow = place.Button(kNotNowButtonId, QStringLiteral("Not now"), 109, 113, 50, 14);
  QPushButton* cancel = place.Button(kCancelButtonId, QStringLiteral("Cancel"), 211, 113, 50, 14);
  connect(update, &QPushButton::clicked, this, [this] { done(kOfferUpdate); });
  connect(never, &QPushButton::clicked, this, [this] { done(kOfferNever); });
  connect(notNow, &QPushButton::clicked, this, [this] { done(kOfferNotNow); });
  // "Cancel" means the same as "Not now".
  connect(cancel, &QPushButton::clicked, this, [this] { done(kOfferNotNow); });

  IgnoreEnterAndEscape(this);
  LoadBackground(QString::fromLatin1(kUpdaterBackground));
}

void NewVersionDialog::SetLines(const QString& offerLine, const QString& questionLine) {
  offerLine_->setText(offerLine);
  questionLine_->setText(questionLine);
}

void NewVersionDialog::reject() {
  done(kOfferClosed);
}

}  // namespace vellumor::updater
