#pragma once
// The "Custom" window: downsampling and resolution thresholds for colour, greyscale and
// monochrome images, CMYK conversion for colour and compression for monochrome. A list of the
// three kinds on the left chooses whose controls are shown. Edits the record in place.

#include <QListWidget>
#include <array>
#include <string>
#include <vector>

#include "platform/UserInteraction.h"
#include "settings/Settings.h"
#include "ui/BitmapBackgroundDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace vellumor::ui {

class CustomImageWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  static constexpr int kKindListId = 1049;
  static constexpr int kFrameId = 1050;

  // `interaction` tells the user about a resolution that is not a whole number.
  CustomImageWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);

  // The opening steps: every control of all kinds loaded from the record, and the kind of the
  // last "Save/Exit" shown (Color the first time).
  void Prepare();
  // Prepare, then run modally. True after "Save/Exit"; false after "Cancel", Escape or the close box.
  bool Open();

  bool Edits(const settings::Settings& settings) const { return &settings_ == &settings; }
  // The name of the kind shown now.
  const std::string& CurrentKind() const { return currentKind_; }

 private:
  // The controls of one kind of image and the fields they edit.
  struct Kind {
    QString name;
    QComboBox* downSample{};
    QLineEdit* fromPpi{};
    QLineEdit* toPpi{};
    std::vector<QWidget*> controls;  // every control shown only for this kind
    QListWidgetItem* item{};
  };

  void BuildControls();
  void BuildKindList();
  void LoadControls();
  // Takes every kind's values, or none: a resolution that is not a whole number is reported and
  // shown, and the record stays as it was.
  bool TakeControls();
  void ShowKind(const QString& name);
  void OnListClicked();
  void OnSaveExit();

  settings::Settings& settings_;
  platform::UserInteraction& interaction_;
  std::string currentKind_;
  std::string rememberedKind_;  // kind of the last "Save/Exit"; "" until then

  QListWidget* kindList_{};
  QGroupBox* frame_{};
  std::array<Kind, 3> kinds_;  // Color, Greyscale, Mono
  QCheckBox* convertCmyk_{};
  QComboBox* compression_{};
};

}  // namespace vellumor::ui
