#pragma once
// The "Document Properties" window: title, author, subject and keywords written into the PDF,
// and "Clear ALL", which empties them at once. Edits the record in place.

#include "settings/Settings.h"
#include "ui/BitmapBackgroundDialog.h"

class QCheckBox;
class QLineEdit;

namespace vellumor::ui {

class DocumentPropertiesWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  static constexpr int kClearAllId = 1036;

  DocumentPropertiesWindow(QWidget* parent, settings::Settings& settings);

  // The opening steps: every control loaded from the record.
  void Prepare();
  // Prepare, then run modally. True after "Save/Exit"; false after "Cancel", Escape or the close box.
  bool Open();

  bool Edits(const settings::Settings& settings) const { return &settings_ == &settings; }

 private:
  void BuildControls();
  void LoadControls();
  void TakeControls();
  void OnClearAll();

  settings::Settings& settings_;
  QLineEdit* title_{};
  QLineEdit* author_{};
  QLineEdit* subject_{};
  QLineEdit* keywords_{};
  QCheckBox* alwaysUse_{};
};

}  // namespace vellumor::ui
