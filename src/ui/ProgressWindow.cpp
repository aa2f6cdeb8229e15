#include "ui/ProgressWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

ProgressWindow::ProgressWindow(QWidget* owner)
    : DialogWindow(std::make_unique<dialog::ProgressDialog>(), ProgramResources(), owner) {
  Prepare();
}

void ProgressWindow::SetLines(const QString& fileLine, const QString& pageLine) {
  SetText(kFileLineId, fileLine.toStdString());
  SetText(kPageLineId, pageLine.toStdString());
}

QString ProgressWindow::FileLine() const {
  return QString::fromStdString(Text(kFileLineId));
}

QString ProgressWindow::PageLine() const {
  return QString::fromStdString(Text(kPageLineId));
}

}  // namespace vellumor::ui
