#include "ui/ProgressWindow.h"

#include <QLabel>

#include "ui/DialogUnits.h"

namespace vellumor::ui {

namespace {

QLabel* CentredLine(QWidget* parent, int id, QRect area) {
  auto* line = new QLabel(parent);
  line->setObjectName(QString::number(id));
  line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  line->setWordWrap(true);
  line->setGeometry(area);
  return line;
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QLatin1String(kProgressWindowCaption));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.Size(144, 60));
  fileLine_ = CentredLine(this, kFileLineId, units.Rect(0, 4, 144, 20));
  pageLine_ = CentredLine(this, kPageLineId, units.Rect(0, 26, 144, 17));
}

void ProgressWindow::SetLines(const QString& fileLine, const QString& pageLine) {
  fileLine_->setText(fileLine);
  pageLine_->setText(pageLine);
}

QString ProgressWindow::FileLine() const {
  return fileLine_->text();
}

QString ProgressWindow::PageLine() const {
  return pageLine_->text();
}

}  // namespace vellumor::ui
