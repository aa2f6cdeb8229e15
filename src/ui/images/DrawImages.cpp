// Draws the program's own images (profile icons, backgrounds, side picture, application icon)
// into the folder given as the only argument. Run at build time; the PNGs become Qt resources.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&, const QColor& ink, const QColor& paper)>;

constexpr int kIcon = 32;

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A profile icon: the selected one is drawn in colour on a lit disc, the normal one in greys.
QImage ProfileIcon(const Draw& draw, const QColor& colour, bool selected) {
  QImage image = Blank(kIcon, kIcon);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  if (selected) {
    QRadialGradient glow(QPointF(16, 16), 16);
    glow.setColorAt(0.0, QColor(255, 250, 200, 230));
    glow.setColorAt(1.0, QColor(255, 210, 80, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QRectF(0, 0, kIcon, kIcon));
  }
  const QColor ink = selected ? colour.darker(170) : QColor(90, 90, 90);
  const QColor paper = selected ? colour : QColor(190, 190, 190);
  draw(painter, ink, paper);
  return image;
}

void DrawScreen(QPainter& p, const QColor& ink, const QColor& paper) {
  p.setPen(QPen(ink, 1.5));
  p.setBrush(paper);
  p.drawRoundedRect(QRectF(4, 5, 24, 17), 2, 2);
  p.setBrush(QColor(245, 250, 255));
  p.drawRect(QRectF(7, 8, 18, 11));
  p.setBrush(ink);
  p.drawRect(QRectF(14, 22, 4, 3));
  p.drawRoundedRect(QRectF(9, 25, 14, 2.5), 1, 1);
}

void DrawBook(QPainter& p, const QColor& ink, const QColor& paper) {
  p.setPen(QPen(ink, 1.5));
  p.setBrush(paper);
  QPainterPath left;
  left.moveTo(16, 9);
  left.cubicTo(12, 6, 7, 6, 4, 8);
  left.lineTo(4, 26);
  left.cubicTo(7, 24, 12, 24, 16, 27);
  left.closeSubpath();
  p.drawPath(left);
  QPainterPath right;
  right.moveTo(16, 9);
  right.cubicTo(20, 6, 25, 6, 28, 8);
  right.lineTo(28, 26);
  right.cubicTo(25, 24, 20, 24, 16, 27);
  right.closeSubpath();
  p.drawPath(right);
  p.setPen(QPen(ink, 1));
  for (int line = 0; line < 3; ++line) {
    p.drawLine(QPointF(7, 12 + line * 4), QPointF(13, 12 + line * 4));
    p.drawLine(QPointF(19, 12 + line * 4), QPointF(25, 12 + line * 4));
  }
}

void DrawPrinter(QPainter& p, const QColor& ink, const QColor& paper) {
  p.setPen(QPen(ink, 1.5));
  p.setBrush(QColor(250, 250, 250));
  p.drawRect(QRectF(9, 4, 14, 9));
  p.setBrush(paper);
  p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
  p.setBrush(QColor(250, 250, 250));
  p.drawRect(QRectF(9, 19, 14, 9));
  p.setPen(QPen(ink, 1));
  p.drawLine(QPointF(11, 22), QPointF(21, 22));
  p.drawLine(QPointF(11, 25), QPointF(19, 25));
  p.setBrush(QColor(60, 200, 60));
  p.drawEllipse(QRectF(24, 14.5, 2.5, 2.5));
}

void DrawPrePress(QPainter& p, const QColor& ink, const QColor& paper) {
  // Four overlapping process-colour plates.
  const QColor plates[] = {QColor(0, 174, 239, 200), QColor(236, 0, 140, 200), QColor(255, 222, 0, 200),
                           QColor(40, 40, 40, 200)};
  p.setPen(QPen(ink, 1));
  for (int plate = 0; plate < 4; ++plate) {
    QColor fill = plates[plate];
    if (paper.saturation() < 20) {
      const int grey = qGray(fill.rgb());
      fill = QColor(grey, grey, grey, 200);
    }
    p.setBrush(fill);
    p.drawRect(QRectF(4 + plate * 4, 4 + plate * 4, 14, 14));
  }
}

void DrawCustom(QPainter& p, const QColor& ink, const QColor& paper) {
  // Three sliders.
  p.setPen(QPen(ink, 2));
  for (int slider = 0; slider < 3; ++slider) {
    const qreal x = 8 + slider * 8;
    p.drawLine(QPointF(x, 4), QPointF(x, 28));
  }
  p.setPen(QPen(ink, 1.2));
  p.setBrush(paper);
  const qreal knobs[] = {18, 9, 22};
  for (int slider = 0; slider < 3; ++slider) {
    p.drawRoundedRect(QRectF(4 + slider * 8, knobs[slider] - 2.5, 8, 5), 1.5, 1.5);
  }
}

// Soft diagonal weave, 800 x 800, behind the main, security and document-properties windows.
QImage MainBackground() {
  QImage image(800, 800, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient wash(0, 0, 800, 800);
  wash.setColorAt(0.0, QColor(226, 232, 242));
  wash.setColorAt(1.0, QColor(196, 206, 224));
  painter.fillRect(image.rect(), wash);
  painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
  for (int offset = -800; offset < 800; offset += 12) {
    painter.drawLine(offset, 0, offset + 800, 800);
  }
  painter.setPen(QPen(QColor(120, 140, 180, 25), 1));
  for (int offset = 0; offset < 1600; offset += 12) {
    painter.drawLine(offset, 0, offset - 800, 800);
  }
  return image;
}

// A seamless 48 x 48 tile behind the Advanced and Custom windows.
QImage OptionsBackground() {
  QImage image(48, 48, QImage::Format_RGB32);
  image.fill(QColor(222, 226, 234));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(210, 216, 228));
  for (const QPointF centre : {QPointF(0, 0), QPointF(48, 0), QPointF(0, 48), QPointF(48, 48), QPointF(24, 24)}) {
    painter.drawEllipse(centre, 9, 9);
  }
  return image;
}

// The page with a folded corner and a red band that is the application's mark.
void DrawMark(QPainter& painter, qreal size) {
  const qreal s = size / 32.0;
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath page;
  page.moveTo(6 * s, 2 * s);
  page.lineTo(20 * s, 2 * s);
  page.lineTo(27 * s, 9 * s);
  page.lineTo(27 * s, 30 * s);
  page.lineTo(6 * s, 30 * s);
  page.closeSubpath();
  painter.setPen(QPen(QColor(70, 70, 90), 1.2 * s));
  painter.setBrush(QColor(252, 252, 248));
  painter.drawPath(page);
  painter.setBrush(QColor(215, 215, 225));
  painter.drawPolygon(QPolygonF({QPointF(20 * s, 2 * s), QPointF(20 * s, 9 * s), QPointF(27 * s, 9 * s)}));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(196, 30, 40));
  painter.drawRect(QRectF(3 * s, 16 * s, 20 * s, 8 * s));
  painter.setPen(QPen(QColor(90, 90, 110), 1 * s));
  for (int line = 0; line < 3; ++line) {
    painter.drawLine(QPointF(9 * s, (6 + line * 3) * s), QPointF(18 * s, (6 + line * 3) * s));
  }
}

QImage ApplicationIcon(int size) {
  QImage image = Blank(size, size);
  QPainter painter(&image);
  DrawMark(painter, size);
  return image;
}

// The tall picture at the window's left edge: a night-blue band with the mark and a ribbon.
QImage SidePicture() {
  QImage image(108, 300, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient band(0, 0, 0, 300);
  band.setColorAt(0.0, QColor(24, 44, 92));
  band.setColorAt(1.0, QColor(70, 110, 170));
  painter.fillRect(image.rect(), band);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 255, 255, 50), 2));
  for (int wave = 0; wave < 6; ++wave) {
    QPainterPath path;
    path.moveTo(0, 150 + wave * 22);
    path.cubicTo(36, 120 + wave * 22, 72, 190 + wave * 22, 108, 160 + wave * 22);
    painter.drawPath(path);
  }
  painter.translate(22, 28);
  DrawMark(painter, 64);
  return image;
}

bool Save(const QImage& image, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  struct Profile {
    const char* name;
    Draw draw;
    QColor colour;
  };
  const Profile profiles[] = {{"screen", DrawScreen, QColor(90, 160, 230)},
                              {"ebook", DrawBook, QColor(240, 170, 60)},
                              {"print", DrawPrinter, QColor(120, 190, 110)},
                              {"prepress", DrawPrePress, QColor(200, 90, 170)},
                              {"custom", DrawCustom, QColor(230, 110, 80)}};
  bool ok = true;
  for (const Profile& profile : profiles) {
    const QString base = QStringLiteral("profile-%1").arg(QLatin1String(profile.name));
    ok = Save(ProfileIcon(profile.draw, profile.colour, true), folder, base + "-selected.png") && ok;
    ok = Save(ProfileIcon(profile.draw, profile.colour, false), folder, base + "-normal.png") && ok;
  }
  ok = Save(MainBackground(), folder, QStringLiteral("background-main.png")) && ok;
  ok = Save(OptionsBackground(), folder, QStringLiteral("background-options.png")) && ok;
  ok = Save(ApplicationIcon(32), folder, QStringLiteral("application-32.png")) && ok;
  ok = Save(ApplicationIcon(48), folder, QStringLiteral("application-48.png")) && ok;
  ok = Save(SidePicture(), folder, QStringLiteral("side-picture.png")) && ok;
  return ok ? 0 : 1;
}
