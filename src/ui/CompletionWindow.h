#pragma once
// "Vellumor - PDF Output": after a conversion, asks whether to open the PDF now, or to go back to
// the settings.

#include <QDialog>
#include <QString>

class QLabel;

namespace vellumor::ui {

inline constexpr const char* kCompletionCaption = "Vellumor - PDF Output";

class CompletionWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFileLineId = 1077;
  static constexpr int kYesId = 1;
  static constexpr int kNoId = 2;
  static constexpr int kSettingsId = 1078;

  explicit CompletionWindow(const QString& fileLine, QWidget* owner = nullptr);

  // Runs modally: platform::kCompletionYes, kCompletionNo (also for the close box and Escape) or
  // kCompletionSettings.
  int Run();
};

}  // namespace vellumor::ui
