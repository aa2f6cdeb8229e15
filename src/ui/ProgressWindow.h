#pragma once
// The "PDF file creation progress" window, rendered from its description
// (ui/model/ProgressDialog.h). Modeless; it goes when the conversion ends.

#include <QString>

#include "ui/DialogWindow.h"
#include "ui/model/ProgressDialog.h"

namespace vellumor::ui {

class ProgressWindow final : public DialogWindow {
  Q_OBJECT

 public:
  static constexpr int kFileLineId = dialog::ProgressDialog::kFileLineId;
  static constexpr int kPageLineId = dialog::ProgressDialog::kPageLineId;

  explicit ProgressWindow(QWidget* owner = nullptr);

  void SetLines(const QString& fileLine, const QString& pageLine);
  QString FileLine() const;
  QString PageLine() const;
};

}  // namespace vellumor::ui
