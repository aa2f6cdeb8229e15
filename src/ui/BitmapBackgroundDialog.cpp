#include "ui/BitmapBackgroundDialog.h"

#include <QPaintEvent>
#include <QPainter>

namespace vellumor::ui {

BitmapBackgroundDialog::BitmapBackgroundDialog(QWidget* parent) : QDialog(parent) {}

void BitmapBackgroundDialog::LoadBackground(const QString& resource) {
  background_ = QPixmap();
  QPixmap loaded;
  if (loaded.load(resource)) {
    background_ = loaded;
  }
  // Without a bitmap the palette's window colour must show, so the dialog fills it itself.
  setAutoFillBackground(background_.isNull());
  update();
}

void BitmapBackgroundDialog::paintEvent(QPaintEvent* event) {
  if (background_.isNull()) {
    QDialog::paintEvent(event);
    return;
  }
  // Copies start at the top-left corner and step by the bitmap's size; the painter clips the last
  // row and column at the client edge.
  QPainter painter(this);
  const int width = background_.width();
  const int height = background_.height();
  const QRect area = rect();
  for (int y = 0; y < area.height(); y += height) {
    for (int x = 0; x < area.width(); x += width) {
      painter.drawPixmap(x, y, background_);
    }
  }
}

}  // namespace vellumor::ui
