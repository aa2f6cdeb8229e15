#include "ui/SecurityWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

SecurityWindow::SecurityWindow(QWidget* parent, settings::Settings& settings)
    : OptionWindow(std::make_unique<dialog::SecurityDialog>(settings), ProgramResources(), parent) {}

}  // namespace vellumor::ui
