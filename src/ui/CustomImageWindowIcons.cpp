#include "ui/CustomImageWindowIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace vellumor::ui {

namespace {

QImage DrawLandscape() {
  QImage image(kKindIconSize, kKindIconSize, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 20);
  sky.setColorAt(0, QColor(0x2f, 0x7f, 0xe0));
  sky.setColorAt(1, QColor(0xb8, 0xe2, 0xff));
  painter.fillRect(image.rect(), sky);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xff, 0xc8, 0x20));
  painter.drawEllipse(QPointF(23, 8), 5, 5);
  QPainterPath farHill(QPointF(0, 22));
  farHill.quadTo(10, 10, 20, 20);
  farHill.quadTo(26, 15, 32, 19);
  farHill.lineTo(32, 32);
  farHill.lineTo(0, 32);
  painter.fillPath(farHill, QColor(0x3c, 0x9a, 0x3c));
  QPainterPath nearHill(QPointF(0, 28));
  nearHill.quadTo(14, 19, 32, 27);
  nearHill.lineTo(32, 32);
  nearHill.lineTo(0, 32);
  painter.fillPath(nearHill, QColor(0x8c, 0xd2, 0x3c));
  painter.setBrush(QColor(0xd0, 0x30, 0x30));
  painter.drawRect(QRectF(6, 20, 6, 5));
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(0.5, 0.5, kKindIconSize - 1, kKindIconSize - 1));
  return image;
}

QImage ToGrey(const QImage& colour) {
  QImage grey = colour;
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) {
      const int level = qGray(grey.pixel(x, y));
      grey.setPixel(x, y, qRgb(level, level, level));
    }
  }
  return grey;
}

// Ordered dithering keeps the picture recognisable with only black and white.
QImage ToMono(const QImage& colour) {
  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  QImage mono = colour;
  for (int y = 0; y < mono.height(); ++y) {
    for (int x = 0; x < mono.width(); ++x) {
      const int threshold = (kBayer[y % 4][x % 4] * 16) + 8;
      mono.setPixel(x, y, qGray(mono.pixel(x, y)) > threshold ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  }
  return mono;
}

}  // namespace

QImage DrawKindIcon(ImageKind kind) {
  const QImage landscape = DrawLandscape();
  switch (kind) {
    case ImageKind::Greyscale:
      return ToGrey(landscape);
    case ImageKind::Mono:
      return ToMono(landscape);
    case ImageKind::Color:
      break;
  }
  return landscape;
}

}  // namespace vellumor::ui
