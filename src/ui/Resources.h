#pragma once
// The program's own images, compiled in as Qt resources (drawn at build time).

#include <QIcon>
#include <QString>

#include "settings/QualityProfile.h"

namespace vellumor::ui {

inline constexpr const char* kSidePicture = ":/vellumor/side-picture.png";

// The window icon, large and small.
inline QIcon ApplicationIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/vellumor/application-32.png"));
  icon.addFile(QStringLiteral(":/vellumor/application-48.png"));
  return icon;
}

// The icon of a profile button: the selected one for the current profile, else the normal one.
inline QString ProfileIconResource(settings::QualityProfile profile, bool selected) {
  static constexpr const char* kNames[] = {"screen", "ebook", "print", "prepress", "custom"};
  return QStringLiteral(":/vellumor/profile-%1-%2.png")
      .arg(QLatin1String(kNames[static_cast<int>(profile)]),
           selected ? QLatin1String("selected") : QLatin1String("normal"));
}

}  // namespace vellumor::ui
