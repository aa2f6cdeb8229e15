#include "ui/CompletionWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

CompletionWindow::CompletionWindow(const QString& fileLine, QWidget* owner)
    : DialogWindow(std::make_unique<dialog::CompletionDialog>(fileLine.toStdString()), ProgramResources(), owner) {
  Prepare();
}

}  // namespace vellumor::ui
