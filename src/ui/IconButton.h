#pragma once
// A push button that draws itself: an icon beside its caption, flat until the mouse is over it,
// optionally transparent over whatever the parent window shows behind it. Clicking it still
// works as any push button's click does.

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <array>

namespace vellumor::ui {

class IconButton final : public QPushButton {
  Q_OBJECT

 public:
  // Result codes of the setters.
  static constexpr int kOk = 0;
  static constexpr int kIconFailed = 1;
  static constexpr int kBadColorSlot = 3;

  // Colour slots: background and text while hovered or pressed ("in"), otherwise ("out"), and
  // while focused.
  enum ColorSlot {
    kBackgroundIn = 0,
    kForegroundIn,
    kBackgroundOut,
    kForegroundOut,
    kBackgroundFocus,
    kForegroundFocus
  };

  explicit IconButton(const QString& text = {}, QWidget* parent = nullptr);

  // `in` is shown while hovered or pressed, `out` otherwise; without `out`, both are `in`.
  int SetIcon(const QString& in, const QString& out = {});
  int SetColor(int slot, const QColor& colour, bool repaint = true);
  // Draws the parent's image under the button from the next drawing on (captured again then).
  void SetTransparent(bool repaint = true);

  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  bool Hovering() const { return hovering_; }
  bool Transparent() const { return transparent_; }
  bool HasCachedBackground() const { return !cachedBackground_.isNull(); }
  QColor Color(int slot) const { return colours_.at(static_cast<std::size_t>(slot)); }
  // The icons held; null pixmaps when none is set.
  const QPixmap& InIcon() const { return inIcon_; }
  const QPixmap& OutIcon() const { return outIcon_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void StartHover();
  void EndHover();
  void CaptureParentBackground();
  void DrawBorder(QPainter& painter, QRect area, bool pressed) const;
  void DrawIcon(QPainter& painter, QRect area, bool pressed, bool active) const;
  void DrawCaption(QPainter& painter, QRect area, bool pressed, bool active) const;

  bool flat_{true};
  bool drawBorder_{true};
  bool drawFlatFocus_{false};
  bool defaultButton_{false};
  bool hovering_{false};
  QPixmap inIcon_;
  QPixmap outIcon_;
  std::array<QColor, 6> colours_;
  bool transparent_{false};
  QPixmap cachedBackground_;
};

}  // namespace vellumor::ui
