#include "ui/AdvancedWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

AdvancedWindow::AdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction)
    : OptionWindow(std::make_unique<dialog::AdvancedDialog>(settings, interaction), ProgramResources(), parent) {}

QTreeWidgetItem* AdvancedWindow::MarkedItem() const {
  return TreeItem(kTreeId, Selection(kTreeId));
}

}  // namespace vellumor::ui
