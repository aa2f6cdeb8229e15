#pragma once
// "Advanced": the less common options of the record (naming, overwriting, progress display, PDF
// version and resolution, rotation, zoom, the external viewer, the Sheafwright naming file, the
// update interval). A tree on the left chooses the page shown on the right. Values taken over
// stay taken over, whatever button ends the window.

#include <string>

#include "platform/UserInteraction.h"
#include "ui/model/RecordDialog.h"

namespace vellumor::dialog {

extern const DialogDescription kAdvancedWindow;

class AdvancedDialog final : public RecordDialog {
 public:
  static constexpr int kTreeId = 1017;
  static constexpr int kDefaultViewerId = 1018;
  static constexpr int kViewerId = 1019;
  static constexpr int kBrowseId = 1020;

  // `interaction` shows the "&Browse" file dialog.
  AdvancedDialog(settings::Settings& settings, platform::UserInteraction& interaction)
      : RecordDialog(settings), interaction_{interaction} {}

  const DialogDescription& Description() const override { return kAdvancedWindow; }
  // Every control loaded from the record, and the page of the last "Save/Exit" shown (Saving PDF
  // the first time) with its tree item marked.
  void Initialise(DialogView& view) override;
  void Command(DialogView& view, int id) override;
  void ItemClicked(DialogView& view, int id, int item) override;

  // The page shown now: the text of the tree item last clicked ("" after a click beside every item).
  const std::string& CurrentPage() const { return currentPage_; }

 protected:
  void Saved() override { rememberedPage_ = currentPage_; }

 private:
  void ShowPage(DialogView& view, const std::string& name);
  void Browse(DialogView& view);

  platform::UserInteraction& interaction_;
  std::string currentPage_;
  std::string rememberedPage_;  // page of the last "Save/Exit"; "" until then
};

}  // namespace vellumor::dialog
