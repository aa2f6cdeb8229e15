#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QString>

namespace vellumor::ui {

namespace {

// Windows rounds the average width of the 52 letters the same way; doing it here keeps every
// window's proportions those of its template.
int AverageCharacterWidth(const QFontMetrics& metrics) {
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int total = metrics.horizontalAdvance(letters);
  return (total / 26 + 1) / 2;
}

// Rounds units * base / divisor to the nearest integer, as the template conversion does.
int Scale(int units, int base, int divisor) {
  const long long product = static_cast<long long>(units) * base;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}

}  // namespace

QFont DialogFont() {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  baseX_ = AverageCharacterWidth(metrics);
  baseY_ = metrics.height();
  // A font that measures as nothing (no font available) would collapse every window to a point.
  if (baseX_ <= 0) {
    baseX_ = 6;
  }
  if (baseY_ <= 0) {
    baseY_ = 13;
  }
}

int DialogUnits::X(int units) const {
  return Scale(units, baseX_, 4);
}

int DialogUnits::Y(int units) const {
  return Scale(units, baseY_, 8);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const {
  return QSize(X(width), Y(height));
}

}  // namespace vellumor::ui
