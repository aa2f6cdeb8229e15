#pragma once
// "Vellumor - PDF Output": after a conversion, asks whether to open the PDF now, or to go back to
// the settings. Closes with platform::kCompletionYes, kCompletionNo (also the close box and
// Escape) or kCompletionSettings.

#include <string>

#include "ui/model/DialogView.h"

namespace vellumor::dialog {

extern const DialogDescription kCompletionWindow;

class CompletionDialog final : public Dialog {
 public:
  static constexpr int kFileLineId = 1077;
  static constexpr int kYesId = 1;
  static constexpr int kNoId = 2;
  static constexpr int kSettingsId = 1078;

  // `fileLine`: "File: " and the PDF's path.
  explicit CompletionDialog(std::string fileLine) : fileLine_{std::move(fileLine)} {}

  const DialogDescription& Description() const override { return kCompletionWindow; }
  void Initialise(DialogView& view) override;
  void Command(DialogView& view, int id) override;
  void Dismissed(DialogView& view) override;

 private:
  std::string fileLine_;
};

}  // namespace vellumor::dialog
