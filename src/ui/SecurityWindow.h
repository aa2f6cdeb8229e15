#pragma once
// The "Add Security" window, rendered from its description (ui/model/SecurityDialog.h).

#include "settings/Settings.h"
#include "ui/OptionWindow.h"
#include "ui/model/SecurityDialog.h"

namespace vellumor::ui {

class SecurityWindow final : public OptionWindow {
  Q_OBJECT

 public:
  SecurityWindow(QWidget* parent, settings::Settings& settings);

  bool Edits(const settings::Settings& settings) const {
    return static_cast<const dialog::SecurityDialog&>(Rules()).Edits(settings);
  }
};

}  // namespace vellumor::ui
