#include "ui/IconButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vellumor::ui {

namespace {

constexpr int kIconMargin = 3;

void Line(QPainter& painter, const QColor& colour, QPoint from, QPoint to) {
  painter.setPen(colour);
  painter.drawLine(from, to);
}

// A one-pixel 3D edge: `topLeft` along the top and left, `bottomRight` along the bottom and right.
void Edge(QPainter& painter, const QRect& area, const QColor& topLeft, const QColor& bottomRight) {
  Line(painter, topLeft, area.topLeft(), area.topRight());
  Line(painter, topLeft, area.topLeft(), area.bottomLeft());
  Line(painter, bottomRight, area.bottomLeft(), area.bottomRight());
  Line(painter, bottomRight, area.topRight(), area.bottomRight());
}

}  // namespace

IconButton::IconButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  defaultButton_ = isDefault();
  const QPalette& colours = palette();
  for (std::size_t slot = 0; slot < colours_.size(); ++slot) {
    colours_[slot] = slot % 2 == 0 ? colours.color(QPalette::Button) : colours.color(QPalette::ButtonText);
  }
  setMouseTracking(true);
}

int IconButton::SetIcon(const QString& in, const QString& out) {
  inIcon_ = QPixmap();
  outIcon_ = QPixmap();
  QPixmap loadedIn;
  QPixmap loadedOut;
  if (!loadedIn.load(in) || (!out.isEmpty() && !loadedOut.load(out))) {
    update();
    return kIconFailed;
  }
  inIcon_ = loadedIn;
  outIcon_ = out.isEmpty() ? loadedIn : loadedOut;
  update();
  return kOk;
}

int IconButton::SetColor(int slot, const QColor& colour, bool repaint) {
  if (slot < 0 || slot >= static_cast<int>(colours_.size())) {
    return kBadColorSlot;
  }
  colours_[static_cast<std::size_t>(slot)] = colour;
  if (repaint) {
    update();
  }
  return kOk;
}

void IconButton::SetTransparent(bool repaint) {
  cachedBackground_ = QPixmap();
  transparent_ = true;
  if (repaint) {
    update();
  }
}

void IconButton::SetFlat(bool flat) {
  flat_ = flat;
  update();
}

void IconButton::StartHover() {
  if (!flat_ || hovering_ || QApplication::activeWindow() == nullptr) {
    return;
  }
  hovering_ = true;
  update();
}

void IconButton::EndHover() {
  if (flat_ && hovering_) {
    hovering_ = false;
    update();
  }
}

void IconButton::enterEvent(QEnterEvent* event) {
  QPushButton::enterEvent(event);
  StartHover();
}

void IconButton::mouseMoveEvent(QMouseEvent* event) {
  QPushButton::mouseMoveEvent(event);
  if (rect().contains(event->position().toPoint())) {
    StartHover();
  }
}

void IconButton::leaveEvent(QEvent* event) {
  QPushButton::leaveEvent(event);
  EndHover();
}

void IconButton::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  EndHover();
}

void IconButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    EndHover();
  }
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    // A disabled button cannot keep the focus: hand it on so the keyboard still reaches a control.
    if (hasFocus()) {
      QWidget* next = nextInFocusChain();
      while (next != this && (!next->isEnabled() || !next->isVisible() || next->focusPolicy() == Qt::NoFocus)) {
        next = next->nextInFocusChain();
      }
      if (next != this) {
        next->setFocus(Qt::TabFocusReason);
      } else if (parentWidget() != nullptr) {
        parentWidget()->setFocus();
      }
    }
    hovering_ = false;
  }
}

void IconButton::CaptureParentBackground() {
  QWidget* parent = parentWidget();
  if (parent == nullptr) {
    return;
  }
  // Only the parent's own painting: the siblings and this button are not part of the background.
  QPixmap image(size() * devicePixelRatioF());
  image.setDevicePixelRatio(devicePixelRatioF());
  image.fill(parent->palette().color(QPalette::Window));
  parent->render(&image, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
  cachedBackground_ = image;
}

void IconButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QRect area = rect();
  const bool pressed = isDown();
  const bool focused = hasFocus();
  const bool active = hovering_ || pressed;

  if (!flat_ && (focused || defaultButton_)) {
    painter.setPen(Qt::black);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    area.adjust(1, 1, -1, -1);
  }

  if (transparent_) {
    if (cachedBackground_.isNull()) {
      CaptureParentBackground();
    }
    painter.drawPixmap(area.topLeft(), cachedBackground_, area);
  } else {
    const int slot = active ? kBackgroundIn : (focused ? kBackgroundFocus : kBackgroundOut);
    painter.fillRect(area, colours_[static_cast<std::size_t>(slot)]);
  }

  DrawBorder(painter, area, pressed);
  DrawIcon(painter, area, pressed, active);
  DrawCaption(painter, area, pressed, active);

  if (focused && (!flat_ || drawFlatFocus_)) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void IconButton::DrawBorder(QPainter& painter, QRect area, bool pressed) const {
  const QPalette& colours = palette();
  const QRect& edge = area;
  if (pressed) {
    if (flat_ && drawBorder_) {
      Edge(painter, edge, colours.color(QPalette::Dark), colours.color(QPalette::Light));
    } else if (!flat_) {
      painter.setPen(colours.color(QPalette::Dark));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(edge);
    }
    return;
  }
  if (!flat_) {
    Edge(painter, edge, colours.color(QPalette::Light), colours.color(QPalette::Shadow));
    Edge(painter, edge.adjusted(1, 1, -1, -1), colours.color(QPalette::Midlight), colours.color(QPalette::Dark));
  } else if (drawBorder_ && hovering_) {
    Edge(painter, edge, colours.color(QPalette::Light), colours.color(QPalette::Dark));
  }
}

void IconButton::DrawIcon(QPainter& painter, QRect area, bool pressed, bool active) const {
  const QPixmap& icon = active ? inIcon_ : outIcon_;
  if (icon.isNull()) {
    return;
  }
  const QSize size = icon.deviceIndependentSize().toSize();
  int x = area.left() + kIconMargin;
  if (text().isEmpty()) {
    x = area.left() + (area.width() - size.width()) / 2;
  }
  int y = area.top() + (area.height() - size.height()) / 2;
  if (pressed) {
    ++x;
    ++y;
  }
  if (isEnabled()) {
    painter.drawPixmap(x, y, icon);
    return;
  }
  QStyleOption option;
  option.initFrom(this);
  painter.drawPixmap(x, y, style()->generatedIconPixmap(QIcon::Disabled, icon, &option));
}

void IconButton::DrawCaption(QPainter& painter, QRect area, bool pressed, bool active) const {
  if (text().isEmpty()) {
    return;
  }
  const QPixmap& icon = active ? inIcon_ : outIcon_;
  QRect textArea = area;
  if (!icon.isNull()) {
    textArea.setLeft(area.left() + kIconMargin + icon.deviceIndependentSize().toSize().width());
  }
  if (pressed) {
    textArea.translate(1, 1);
  }
  const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  painter.setFont(font());
  painter.setBackgroundMode(Qt::TransparentMode);
  if (!isEnabled()) {
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(textArea.translated(1, 1), flags, text());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(textArea, flags, text());
    return;
  }
  painter.setPen(colours_[active ? kForegroundIn : kForegroundOut]);
  painter.drawText(textArea, flags, text());
}

}  // namespace vellumor::ui
