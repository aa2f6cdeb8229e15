#pragma once
// What the option windows share: controls placed at their dialog-unit rectangles and named by
// their control ids (so code and tests find them by id), the white control background, and the
// data exchange between controls and the text, flag and number fields of the settings record.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ui/DialogUnits.h"
#include "ui/OptionWindow.h"

namespace vellumor::ui {

// Labels and frames that the window never addresses.
inline constexpr int kNoId = -1;

// A list of the record's choices (settings/Choices.h) as a box takes it.
QStringList ChoiceEntries(std::span<const std::string_view> list);

// Creates the controls of one window at their dialog-unit rectangles, in creation order (later
// controls lie above earlier ones, so frames are made first).
class ControlPlacer final {
 public:
  explicit ControlPlacer(QWidget* window);

  const DialogUnits& Units() const { return units_; }

  QGroupBox* Frame(int id, const QString& caption, int x, int y, int width, int height);
  QLabel* Label(int id, const QString& text, int x, int y, int width, int height);
  // A label whose width follows its text.
  QLabel* Label(int id, const QString& text, int x, int y);
  // A label ending just left of `control`, on the line of its text.
  QLabel* LabelBefore(int id, const QString& text, const QWidget* control);
  // A check box whose width follows its caption; with a width, the caption is wrapped into it.
  QCheckBox* CheckBox(int id, const QString& caption, int x, int y);
  QCheckBox* CheckBox(int id, const QString& caption, int x, int y, int width, int height);
  QLineEdit* Edit(int id, int x, int y, int width, int height);
  // An editable drop-down box: anything typed is kept as typed, nothing is added to the list and
  // nothing is completed on the user's behalf. A sorted box lists its entries alphabetically.
  QComboBox* DropDown(int id, QStringList entries, bool sorted, int x, int y, int width);
  QPushButton* Button(int id, const QString& caption, int x, int y, int width, int height);

 private:
  template <typename Control>
  Control* Place(Control* control, int id, int x, int y, int width, int height);

  QWidget* window_;
  DialogUnits units_;
};

// Draws the control on a white brush, as the option windows answer their controls' colour
// requests; without it a label or check box shows the window's background bitmap.
void PaintWhite(QWidget* control);

// Data exchange. Loading a drop-down selects the first entry that begins with the text (letter
// case ignored), else shows the text itself in the edit field.
void LoadFlag(QCheckBox* box, std::int32_t value);
std::int32_t TakeFlag(const QCheckBox* box);
void LoadText(QLineEdit* edit, const std::string& value);
std::string TakeText(const QLineEdit* edit);
void LoadText(QComboBox* box, const std::string& value);
std::string TakeText(const QComboBox* box);
void LoadNumber(QLineEdit* edit, std::int32_t value);
// A whole number (blanks around it allowed) that fits the field, or nothing.
std::optional<std::int32_t> ParseWholeNumber(const QString& text);

}  // namespace vellumor::ui
