#pragma once
// The "Document Properties" window, rendered from its description
// (ui/model/DocumentPropertiesDialog.h).

#include "settings/Settings.h"
#include "ui/OptionWindow.h"
#include "ui/model/DocumentPropertiesDialog.h"

namespace vellumor::ui {

class DocumentPropertiesWindow final : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kClearAllId = dialog::DocumentPropertiesDialog::kClearAllId;

  DocumentPropertiesWindow(QWidget* parent, settings::Settings& settings);
};

}  // namespace vellumor::ui
