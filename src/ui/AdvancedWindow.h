#pragma once
// The "Advanced" window, rendered from its description (ui/model/AdvancedDialog.h).

#include <QTreeWidget>
#include <string>

#include "platform/UserInteraction.h"
#include "settings/Settings.h"
#include "ui/OptionWindow.h"
#include "ui/model/AdvancedDialog.h"

namespace vellumor::ui {

class AdvancedWindow final : public OptionWindow {
  Q_OBJECT

 public:
  static constexpr int kTreeId = dialog::AdvancedDialog::kTreeId;
  static constexpr int kBrowseId = dialog::AdvancedDialog::kBrowseId;

  // `interaction` shows the "&Browse" file dialog.
  AdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);

  // The page shown now: the text of the tree item last clicked ("" after a click beside every item).
  const std::string& CurrentPage() const { return Model().CurrentPage(); }
  // The highlighted tree item, or nullptr.
  QTreeWidgetItem* MarkedItem() const;

 private:
  const dialog::AdvancedDialog& Model() const { return static_cast<const dialog::AdvancedDialog&>(Rules()); }
};

}  // namespace vellumor::ui
