#include "ui/DocumentPropertiesWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

DocumentPropertiesWindow::DocumentPropertiesWindow(QWidget* parent, settings::Settings& settings)
    : OptionWindow(std::make_unique<dialog::DocumentPropertiesDialog>(settings), ProgramResources(), parent) {}

}  // namespace vellumor::ui
