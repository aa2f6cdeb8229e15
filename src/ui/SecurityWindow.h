#pragma once
// The "Add Security" window: the open and permissions passwords, the printing and change
// permissions, copying and screen-reader access, and the switch that applies them to the PDF at
// all. Edits the record in place.

#include "settings/Settings.h"
#include "ui/BitmapBackgroundDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vellumor::ui {

class SecurityWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  SecurityWindow(QWidget* parent, settings::Settings& settings);

  // The opening steps: every control loaded from the record.
  void Prepare();
  // Prepare, then run modally. True after "Save/Exit"; false after "Cancel", Escape or the close box.
  bool Open();

  bool Edits(const settings::Settings& settings) const { return &settings_ == &settings; }

 private:
  void BuildControls();
  void TakeControls();

  settings::Settings& settings_;
  QLineEdit* openPassword_{};
  QLineEdit* permPassword_{};
  QComboBox* printing_{};
  QComboBox* changes_{};
  QCheckBox* copy_{};
  QCheckBox* screenReader_{};
  QCheckBox* alwaysUse_{};
};

}  // namespace vellumor::ui
