#pragma once
// The "Custom" window, rendered from its description (ui/model/CustomImageDialog.h).

#include <string>

#include "platform/UserInteraction.h"
#include "settings/Settings.h"
#include "ui/OptionWindow.h"
#include "ui/model/CustomImageDialog.h"

namespace vellumor::ui {

class CustomImageWindow final : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kKindListId = dialog::CustomImageDialog::kKindListId;
  static constexpr int kFrameId = dialog::CustomImageDialog::kFrameId;

  // `interaction` tells the user about a resolution that is not a whole number.
  CustomImageWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);

  // The name of the kind shown now.
  const std::string& CurrentKind() const {
    return static_cast<const dialog::CustomImageDialog&>(Rules()).CurrentKind();
  }
};

}  // namespace vellumor::ui
