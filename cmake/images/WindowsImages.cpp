// Turns the drawn images into the Windows deliverables' resources: icons as .ico files (32-bit
// colour with an alpha channel, every size a window or list asks for), bitmaps as .bmp files, each
// named by the resource id the window descriptions give it, and for each deliverable a resource
// script "images.rc" that lists them. Usage: windows_images <drawn folder> <output folder>, where
// the drawn folder holds program/ (DrawImages) and updater/ (DrawUpdaterImages).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTextStream>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "ui/CustomImageWindowIcons.h"
#include "ui/model/Resources.h"

namespace {

namespace ids = vellumor::dialog::resources;

void PutWord(QByteArray& out, quint16 value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>(value >> 8));
}

void PutDword(QByteArray& out, quint32 value) {
  PutWord(out, static_cast<quint16>(value & 0xFFFF));
  PutWord(out, static_cast<quint16>(value >> 16));
}

// One icon image as an .ico file holds it: a BITMAPINFOHEADER of twice the height, the colour
// rows bottom-up in BGRA, then the AND mask (one bit a pixel, rows padded to 32 bits), which
// marks the fully transparent pixels for systems that ignore the alpha channel.
QByteArray IconImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int width = image.width();
  const int height = image.height();
  const int maskStride = ((width + 31) / 32) * 4;
  QByteArray out;
  PutDword(out, 40);
  PutDword(out, static_cast<quint32>(width));
  PutDword(out, static_cast<quint32>(2 * height));
  PutWord(out, 1);   // planes
  PutWord(out, 32);  // bits a pixel
  PutDword(out, 0);  // BI_RGB
  PutDword(out, static_cast<quint32>(width * height * 4 + maskStride * height));
  for (int field = 0; field < 4; ++field) {
    PutDword(out, 0);
  }
  for (int y = height - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      out.append(static_cast<char>(qBlue(row[x])));
      out.append(static_cast<char>(qGreen(row[x])));
      out.append(static_cast<char>(qRed(row[x])));
      out.append(static_cast<char>(qAlpha(row[x])));
    }
  }
  for (int y = height - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    QByteArray mask(maskStride, '\0');
    for (int x = 0; x < width; ++x) {
      if (qAlpha(row[x]) == 0) {
        mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
      }
    }
    out.append(mask);
  }
  return out;
}

// An .ico file with `image` at each of `sizes` (scaled smoothly where it was drawn at another).
bool WriteIcon(const QImage& image, std::initializer_list<int> sizes, const QString& path) {
  std::vector<QByteArray> images;
  for (const int size : sizes) {
    const QImage scaled =
        image.width() == size ? image : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    images.push_back(IconImage(scaled));
  }
  QByteArray out;
  PutWord(out, 0);  // reserved
  PutWord(out, 1);  // an icon
  PutWord(out, static_cast<quint16>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  std::size_t index = 0;
  for (const int size : sizes) {
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append('\0');  // no palette
    out.append('\0');
    PutWord(out, 1);
    PutWord(out, 32);
    PutDword(out, static_cast<quint32>(images[index].size()));
    PutDword(out, offset);
    offset += static_cast<quint32>(images[index].size());
    ++index;
  }
  for (const QByteArray& entry : images) {
    out.append(entry);
  }
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

class Deliverable {
 public:
  Deliverable(const QDir& drawn, const QDir& output) : drawn_{drawn}, output_{output} {}

  bool Icon(int id, const QImage& image, std::initializer_list<int> sizes = {16, 32}) {
    const QString name = QStringLiteral("icon-%1.ico").arg(id);
    if (image.isNull() || !WriteIcon(image, sizes, output_.filePath(name))) {
      std::fprintf(stderr, "cannot write icon %d\n", id);
      return false;
    }
    lines_ << QStringLiteral("%1 ICON \"%2\"").arg(id).arg(output_.absoluteFilePath(name));
    return true;
  }

  bool Bitmap(int id, const QImage& image) {
    const QString name = QStringLiteral("bitmap-%1.bmp").arg(id);
    if (image.isNull() || !image.save(output_.filePath(name), "BMP")) {
      std::fprintf(stderr, "cannot write bitmap %d\n", id);
      return false;
    }
    lines_ << QStringLiteral("%1 BITMAP \"%2\"").arg(id).arg(output_.absoluteFilePath(name));
    return true;
  }

  QImage Drawn(const char* name) const { return QImage(drawn_.filePath(QString::fromLatin1(name))); }

  bool WriteScript() const {
    QFile file(output_.filePath(QStringLiteral("images.rc")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
      return false;
    }
    QTextStream out(&file);
    out << "// Written by windows_images: the drawn images under their resource ids.\n";
    for (const QString& line : lines_) {
      out << line << '\n';
    }
    return true;
  }

 private:
  QDir drawn_;
  QDir output_;
  QStringList lines_;
};

bool Program(const QDir& drawn, const QDir& output) {
  Deliverable program(drawn, output);
  QImage application = program.Drawn("application-48.png");
  bool ok = program.Icon(ids::kApplicationIcon, application, {16, 32, 48});
  static constexpr const char* kProfiles[] = {"screen", "ebook", "print", "prepress", "custom"};
  for (std::size_t profile = 0; profile < std::size(kProfiles); ++profile) {
    const QString base = QStringLiteral("profile-%1-").arg(QLatin1String(kProfiles[profile]));
    ok = program.Icon(ids::kProfileIcons[profile].selected,
                      QImage(drawn.filePath(base + QStringLiteral("selected.png"))), {32}) &&
         ok;
    ok = program.Icon(ids::kProfileIcons[profile].normal, QImage(drawn.filePath(base + QStringLiteral("normal.png"))),
                      {32}) &&
         ok;
  }
  using vellumor::ui::ImageKind;
  ok = program.Icon(ids::kColorKindIcon, vellumor::ui::DrawKindIcon(ImageKind::Color), {32}) && ok;
  ok = program.Icon(ids::kGreyscaleKindIcon, vellumor::ui::DrawKindIcon(ImageKind::Greyscale), {32}) && ok;
  ok = program.Icon(ids::kMonoKindIcon, vellumor::ui::DrawKindIcon(ImageKind::Mono), {32}) && ok;
  ok = program.Bitmap(ids::kMainBackground, program.Drawn("background-main.png")) && ok;
  ok = program.Bitmap(ids::kOptionsBackground, program.Drawn("background-options.png")) && ok;
  ok = program.Bitmap(ids::kSidePicture, program.Drawn("side-picture.png")) && ok;
  return program.WriteScript() && ok;
}

// The updater library holds its own icon and background under the ids its windows name.
bool Updater(const QDir& drawn, const QDir& output) {
  Deliverable updater(drawn, output);
  bool ok = updater.Icon(ids::kApplicationIcon, updater.Drawn("updater-icon.png"), {16, 32});
  ok = updater.Bitmap(ids::kMainBackground, updater.Drawn("updater-background.png")) && ok;
  return updater.WriteScript() && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <drawn folder> <output folder>\n", argv[0]);
    return 2;
  }
  const QDir drawn(QString::fromLocal8Bit(argv[1]));
  const QDir output(QString::fromLocal8Bit(argv[2]));
  for (const char* part : {"program", "updater"}) {
    if (!output.mkpath(QString::fromLatin1(part))) {
      std::fprintf(stderr, "cannot create %s/%s\n", argv[2], part);
      return 1;
    }
  }
  const bool program =
      Program(QDir(drawn.filePath(QStringLiteral("program"))), QDir(output.filePath(QStringLiteral("program"))));
  const bool updater =
      Updater(QDir(drawn.filePath(QStringLiteral("updater"))), QDir(output.filePath(QStringLiteral("updater"))));
  return program && updater ? 0 : 1;
}
