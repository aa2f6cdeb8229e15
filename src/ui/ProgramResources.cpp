#include "ui/ProgramResources.h"

#include <QPixmap>

#include "settings/QualityProfile.h"
#include "ui/CustomImageWindowIcons.h"
#include "ui/HyperlinkLabel.h"
#include "ui/Resources.h"
#include "ui/model/Resources.h"

namespace vellumor::ui {

namespace {

namespace ids = dialog::resources;

QString BitmapFile(int bitmap) {
  switch (bitmap) {
    case ids::kMainBackground:
      return QLatin1String(kMainBackground);
    case ids::kOptionsBackground:
      return QLatin1String(kOptionsBackground);
    case ids::kSidePicture:
      return QLatin1String(kSidePicture);
    default:
      return {};
  }
}

QString IconFile(int icon) {
  if (icon == ids::kApplicationIcon) {
    return QStringLiteral(":/vellumor/application-32.png");
  }
  for (int profile = 0; profile < static_cast<int>(std::size(ids::kProfileIcons)); ++profile) {
    const ids::ProfileIcons& icons = ids::kProfileIcons[profile];
    if (icon == icons.selected || icon == icons.normal) {
      return ProfileIconResource(static_cast<settings::QualityProfile>(profile), icon == icons.selected);
    }
  }
  return {};
}

QIcon Icon(int icon) {
  switch (icon) {
    case ids::kApplicationIcon:
      return ApplicationIcon();
    case ids::kColorKindIcon:
      return QIcon(QPixmap::fromImage(DrawKindIcon(ImageKind::Color)));
    case ids::kGreyscaleKindIcon:
      return QIcon(QPixmap::fromImage(DrawKindIcon(ImageKind::Greyscale)));
    case ids::kMonoKindIcon:
      return QIcon(QPixmap::fromImage(DrawKindIcon(ImageKind::Mono)));
    default:
      return QIcon(IconFile(icon));
  }
}

}  // namespace

DialogResources ProgramResources(platform::Shell* shell, platform::UserInteraction* ui) {
  DialogResources resources{BitmapFile, IconFile, Icon, {}};
  if (shell != nullptr && ui != nullptr) {
    resources.makeControl = [shell, ui](const dialog::Control& control, const QRect& geometry, QWidget* parent) {
      auto* link = new HyperlinkLabel(
          QString::fromUtf8(control.text.data(), static_cast<qsizetype>(control.text.size())), *shell, *ui, parent);
      link->setGeometry(geometry);
      if (!control.link.empty()) {
        link->SetAddress(QString::fromUtf8(control.link.data(), static_cast<qsizetype>(control.link.size())));
      }
      link->SetUnderline((control.style & dialog::kUnderlined) != 0);
      link->Attach();
      return link;
    };
  }
  return resources;
}

}  // namespace vellumor::ui
