#include "ui/CompletionWindow.h"

#include <QLabel>
#include <QPushButton>

#include "platform/UserInteraction.h"
#include "ui/DialogUnits.h"

namespace vellumor::ui {

namespace {

QPushButton* Button(QDialog* dialog, int id, const QString& text, QRect area, int result) {
  auto* button = new QPushButton(text, dialog);
  button->setObjectName(QString::number(id));
  button->setGeometry(area);
  QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
  return button;
}

}  // namespace

CompletionWindow::CompletionWindow(const QString& fileLine, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QLatin1String(kCompletionCaption));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.Size(274, 81));

  auto* question = new QLabel(QStringLiteral("Completed, do you want to open the pdf now?"), this);
  question->setGeometry(units.Rect(10, 8, 254, 10));
  auto* file = new QLabel(fileLine, this);
  file->setObjectName(QString::number(kFileLineId));
  file->setWordWrap(true);
  file->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  file->setGeometry(units.Rect(10, 22, 254, 30));

  QPushButton* yes = Button(this, kYesId, QStringLiteral("Yes"), units.Rect(52, 58, 50, 14), platform::kCompletionYes);
  Button(this, kNoId, QStringLiteral("No"), units.Rect(112, 58, 50, 14), platform::kCompletionNo);
  Button(this, kSettingsId, QStringLiteral("&Settings"), units.Rect(172, 58, 50, 14), platform::kCompletionSettings);
  yes->setDefault(true);
  yes->setFocus();
}

int CompletionWindow::Run() {
  // reject() (close box, Escape) ends with 0, which is "No".
  return exec();
}

}  // namespace vellumor::ui
