#include "updater/UpdaterAboutDialog.h"

#include <QIcon>
#include <QPixmap>

#include "updater/UpdaterWindowParts.h"

namespace vellumor::updater {

UpdaterAboutDialog::UpdaterAboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Updater"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ui::DialogFont());
  setFixedSize(ui::DialogUnits(font()).Size(235, 55));
  setWindowIcon(QIcon(QString::fromLatin1(kUpdaterIcon)));

  ControlPlacer place(this);
  QLabel* icon = place.Text(kNoId, QString(), 11, 17, 20, 20);
  icon->setPixmap(QPixmap(QString::fromLatin1(kUpdaterIcon)));
  place.Text(kNoId, QString::fromLatin1(kAboutVersionLine), 40, 10, 119, 8);
  place.Text(kNoId, QString::fromLatin1(kAboutMakerLine), 40, 25, 150, 8);
  QPushButton* ok = place.Button(1, QStringLiteral("OK"), 178, 7, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vellumor::updater
