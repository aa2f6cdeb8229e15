#include "ui/FolderPath.h"

#include <QDir>
#include <QFileInfo>

namespace vellumor::ui {

namespace {

QString WithPath(const char* text, const QString& path) {
  return QString::fromLatin1(text).arg(path);
}

bool IsFolder(const QString& path) {
  return QFileInfo(path).isDir();
}

}  // namespace

int CheckPathForm(const QString& path, bool skipRootCheck) {
  if (path.isEmpty() || !path.startsWith(QLatin1Char('/'))) {
    return kPathInvalid;
  }
  // A path with a NUL cannot reach the file system intact.
  if (path.contains(QChar(u'\0'))) {
    return kPathInvalid;
  }
  if (!skipRootCheck) {
    const QString topLevel = QLatin1Char('/') + path.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
    if (topLevel.size() > 1 && !QFileInfo::exists(topLevel)) {
      return kPathCannotBeCreated;
    }
  }
  return kPathAccepted;
}

int ValidateFolderPath(const QString& path, platform::UserInteraction& ui) {
  int code = CheckPathForm(path, true);
  if (code == kPathAccepted) {
    if (IsFolder(path)) {
      return kPathAccepted;
    }
    const QString question =
        WithPath("The folder:\n\n%1\n\ndoes not exist. Do you want the folder to be created?", path);
    if (!ui.AskYesNo(question.toStdString())) {
      return kPathDeclined;
    }
    code = CheckPathForm(path, false);
    // The folder is made now, so the first PDF saved into it cannot fail for want of it and a
    // folder that cannot be made is reported while the user can still choose another.
    if (code == kPathAccepted && (QDir().mkpath(path) && IsFolder(path))) {
      return kPathAccepted;
    }
    code = kPathCannotBeCreated;
  }
  const char* text = code == kPathInvalid ? "The folder:\n\n%1\n\nis invalid. Please reenter."
                                          : "The folder:\n\n%1\n\ncan not be created. Please double check.";
  ui.ShowMessage(WithPath(text, path).toStdString(), platform::MessageStyle::Application);
  return code;
}

}  // namespace vellumor::ui
