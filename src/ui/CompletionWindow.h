#pragma once
// "Vellumor - PDF Output", rendered from its description (ui/model/CompletionDialog.h).

#include <QString>

#include "ui/DialogWindow.h"
#include "ui/model/CompletionDialog.h"

namespace vellumor::ui {

class CompletionWindow final : public DialogWindow {
  Q_OBJECT

 public:
  static constexpr int kFileLineId = dialog::CompletionDialog::kFileLineId;
  static constexpr int kYesId = dialog::CompletionDialog::kYesId;
  static constexpr int kNoId = dialog::CompletionDialog::kNoId;
  static constexpr int kSettingsId = dialog::CompletionDialog::kSettingsId;

  explicit CompletionWindow(const QString& fileLine, QWidget* owner = nullptr);

  // Runs modally: platform::kCompletionYes, kCompletionNo (also for the close box and Escape) or
  // kCompletionSettings.
  int Run() { return Open(); }
};

}  // namespace vellumor::ui
