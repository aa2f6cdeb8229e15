#pragma once
// Pieces the updater's windows share: their images, control names, placing controls at their
// dialog-unit rectangles over the tiled background, and the keys they ignore.

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/DialogUnits.h"

namespace vellumor::updater {

// The library's own images (Qt resources compiled into it).
inline constexpr const char* kUpdaterBackground = ":/updater/updater-background.png";  // 800 x 800
inline constexpr const char* kUpdaterIcon = ":/updater/updater-icon.png";

inline constexpr int kNoId = -1;

// Controls keep their template ids as object names, so that tests find them by id.
QString ControlName(int id);

template <typename Control>
Control* FindControl(const QWidget* window, int id) {
  return window->findChild<Control*>(ControlName(id));
}

// Creates controls on `window` at dialog-unit rectangles of the window's font. Texts and frames
// draw straight onto the tiled background.
class ControlPlacer final {
 public:
  explicit ControlPlacer(QWidget* window) : window_{window}, units_{window->font()} {}

  QLabel* Text(int id, const QString& text, int x, int y, int width, int height);
  QWidget* Frame(const QString& caption, int x, int y, int width, int height);
  QPushButton* Button(int id, const QString& caption, int x, int y, int width, int height);

 private:
  QWidget* window_;
  ui::DialogUnits units_;
};

// Neither Enter nor Escape may close an updater window or press one of its buttons: the user
// has to click. Covers the window and every control it has at the time of the call.
void IgnoreEnterAndEscape(QWidget* window);

}  // namespace vellumor::updater
