#include "ui/MainWindow.h"

#include "ui/ProgramResources.h"
#include "ui/Skin.h"

namespace vellumor::ui {

MainWindow::MainWindow(platform::UserInteraction& ui, const platform::Clock& clock, platform::Shell& shell,
                       QWidget* parent)
    : DialogWindow(std::make_unique<dialog::MainDialog>(ui, clock), ProgramResources(&shell, &ui), parent),
      rules_{static_cast<dialog::MainDialog&>(Rules())} {
  // No skinning layer exists on this platform; the window looks native either way.
  (void)LoadSkin("Vista.cjstyles", "NormalBlack2.ini");
}

MainWindow::~MainWindow() = default;

void MainWindow::Bind(app::MainController& controller) {
  rules_.Bind(controller);
  Prepare();
}

QColor MainWindow::FileNameColour() const {
  const dialog::Colour colour = rules_.FileNameColour();
  return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace vellumor::ui
