#pragma once
// "Custom": downsampling and resolution thresholds for colour, greyscale and monochrome images,
// CMYK conversion for colour and compression for monochrome. A list of the three kinds on the
// left chooses whose controls are shown.

#include <string>

#include "platform/UserInteraction.h"
#include "ui/model/RecordDialog.h"

namespace vellumor::dialog {

extern const DialogDescription kCustomImageWindow;

class CustomImageDialog final : public RecordDialog {
 public:
  static constexpr int kKindListId = 1049;
  static constexpr int kFrameId = 1050;

  // `interaction` tells the user about a resolution that is not a whole number.
  CustomImageDialog(settings::Settings& settings, platform::UserInteraction& interaction)
      : RecordDialog(settings), interaction_{interaction} {}

  const DialogDescription& Description() const override { return kCustomImageWindow; }
  // Every control of all kinds loaded from the record, and the kind of the last "Save/Exit"
  // shown (Color the first time).
  void Initialise(DialogView& view) override;
  void ItemClicked(DialogView& view, int id, int item) override;

  // The name of the kind shown now.
  const std::string& CurrentKind() const { return currentKind_; }

 protected:
  // Takes every kind's values, or none: a resolution that is not a whole number is reported and
  // brought into view, and the record stays as it was.
  bool Take(DialogView& view) override;
  void Saved() override { rememberedKind_ = currentKind_; }

 private:
  void ShowKind(DialogView& view, std::string_view name);

  platform::UserInteraction& interaction_;
  std::string currentKind_;
  std::string rememberedKind_;  // kind of the last "Save/Exit"; "" until then
};

}  // namespace vellumor::dialog
