#include "ui/CustomImageWindow.h"

#include "ui/ProgramResources.h"

namespace vellumor::ui {

CustomImageWindow::CustomImageWindow(QWidget* parent, settings::Settings& settings,
                                     platform::UserInteraction& interaction)
    : OptionWindow(std::make_unique<dialog::CustomImageDialog>(settings, interaction), ProgramResources(), parent) {}

}  // namespace vellumor::ui
