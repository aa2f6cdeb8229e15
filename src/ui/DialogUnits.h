#pragma once
// Windows are laid out in dialog units, as their templates give them: a horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an eighth of its height.

#include <QFont>
#include <QRect>
#include <QSize>

namespace vellumor::ui {

// The font every dialog uses (the stand-in for "MS Sans Serif" 8 point).
QFont DialogFont();

class DialogUnits final {
 public:
  explicit DialogUnits(const QFont& font = DialogFont());

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

 private:
  int baseX_;  // average character width in pixels
  int baseY_;  // character height in pixels
};

}  // namespace vellumor::ui
