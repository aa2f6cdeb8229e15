#include "ui/OptionWindows.h"

#include "ui/AdvancedWindow.h"
#include "ui/CustomImageWindow.h"
#include "ui/DocumentPropertiesWindow.h"
#include "ui/SecurityWindow.h"

namespace vellumor::ui {

namespace {

// Opens the window of type `Window` that belongs to `parent` and edits `settings`, creating it
// first when there is none yet. The parent owns it from then on.
template <typename Window, typename... Dependencies>
bool OpenOwnedWindow(QWidget* parent, settings::Settings& settings, Dependencies&... dependencies) {
  if (parent == nullptr) {
    Window window(nullptr, settings, dependencies...);
    return window.Open();
  }
  for (Window* window : parent->findChildren<Window*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (window->Edits(settings)) {
      return window->Open();
    }
  }
  return (new Window(parent, settings, dependencies...))->Open();
}

}  // namespace

bool ShowAdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction) {
  return OpenOwnedWindow<AdvancedWindow>(parent, settings, interaction);
}

bool ShowSecurityWindow(QWidget* parent, settings::Settings& settings) {
  return OpenOwnedWindow<SecurityWindow>(parent, settings);
}

bool ShowDocumentPropertiesWindow(QWidget* parent, settings::Settings& settings) {
  return OpenOwnedWindow<DocumentPropertiesWindow>(parent, settings);
}

bool ShowCustomImageWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction) {
  return OpenOwnedWindow<CustomImageWindow>(parent, settings, interaction);
}

}  // namespace vellumor::ui
