// Draws the updater's own images into the folder given as the only argument: the 800 x 800
// background the status and offer windows tile (256 colours) and the library's icon. Run at
// build time; the PNGs become Qt resources of the library.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kBackground = 800;
constexpr int kIcon = 32;

// Pale steel blue with a fine diagonal weave. Every stroke repeats within 800 pixels, so the
// tiles meet without a seam.
QImage Background() {
  QImage image(kBackground, kBackground, QImage::Format_RGB32);
  for (int y = 0; y < kBackground; ++y) {
    for (int x = 0; x < kBackground; ++x) {
      const double wave = std::sin((x + y) * 2.0 * M_PI / 40.0) * std::sin((x - y) * 2.0 * M_PI / 80.0);
      const double glow = 0.5 + 0.5 * std::cos(x * 2.0 * M_PI / kBackground) * std::cos(y * 2.0 * M_PI / kBackground);
      const int shade = static_cast<int>(8 * wave + 10 * glow);
      image.setPixel(x, y, qRgb(214 + shade, 226 + shade / 2, 238));
    }
  }
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

// A globe with a circling arrow: "look on the web for a newer version".
QImage Icon() {
  QImage image(kIcon, kIcon, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient sea(QPointF(12, 11), 16);
  sea.setColorAt(0.0, QColor(150, 200, 255));
  sea.setColorAt(1.0, QColor(20, 70, 160));
  painter.setPen(QPen(QColor(15, 45, 110), 1.2));
  painter.setBrush(sea);
  painter.drawEllipse(QRectF(4, 4, 22, 22));
  painter.setPen(QPen(QColor(230, 240, 255, 170), 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QRectF(10, 4, 10, 22));
  painter.drawLine(QPointF(4, 15), QPointF(26, 15));
  painter.drawLine(QPointF(6, 9.5), QPointF(24, 9.5));
  painter.drawLine(QPointF(6, 20.5), QPointF(24, 20.5));

  painter.setPen(QPen(QColor(30, 150, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(QRectF(2, 2, 28, 28), 200 * 16, 230 * 16);
  QPainterPath head;
  head.moveTo(27.5, 21);
  head.lineTo(31.5, 14.5);
  head.lineTo(23.5, 15.5);
  head.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(30, 150, 40));
  painter.drawPath(head);
  return image;
}

bool Save(const QImage& image, const QDir& folder, const char* name) {
  if (!image.save(folder.filePath(QString::fromLatin1(name)), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", name);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  const bool saved = Save(Background(), folder, "updater-background.png") && Save(Icon(), folder, "updater-icon.png");
  return saved ? 0 : 1;
}
