#include "ui/SecurityWindow.h"

#include "settings/Choices.h"
#include "ui/OptionWindowControls.h"

namespace vellumor::ui {

SecurityWindow::SecurityWindow(QWidget* parent, settings::Settings& settings)
    : BitmapBackgroundDialog(parent), settings_{settings} {
  setWindowTitle(QStringLiteral("Add Security"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setFixedSize(DialogUnits(font()).Size(344, 241));
  BuildControls();
}

void SecurityWindow::BuildControls() {
  ControlPlacer place(this);
  // Unnumbered labels and frames stay transparent so that the background shows through them;
  // the numbered controls are drawn on white.
  place.Frame(kNoId, QStringLiteral("Open password"), 20, 14, 305, 54);
  place.Frame(kNoId, QStringLiteral("Permissions"), 21, 82, 303, 123);

  openPassword_ = place.Edit(1024, 94, 35, 203, 14);
  place.LabelBefore(kNoId, QStringLiteral("Password:"), openPassword_);
  place.Label(kNoId, QStringLiteral("Leave blank if no open password"), 94, 52);

  permPassword_ = place.Edit(1025, 93, 102, 203, 14);
  place.LabelBefore(kNoId, QStringLiteral("Password:"), permPassword_);
  for (QLineEdit* password : {openPassword_, permPassword_}) {
    password->setEchoMode(QLineEdit::Password);
  }

  printing_ = place.DropDown(1026, ChoiceEntries(settings::kPrintingPermissions), true, 93, 121, 204);
  place.LabelBefore(kNoId, QStringLiteral("Printing allowed:"), printing_);
  changes_ = place.DropDown(1027, ChoiceEntries(settings::kChangesPermissions), true, 93, 139, 204);
  place.LabelBefore(kNoId, QStringLiteral("Changes allowed:"), changes_);

  copy_ = place.CheckBox(1028, QStringLiteral("Enable copying of text, images && other content"), 92, 165);
  screenReader_ = place.CheckBox(
      1029, QStringLiteral("Enable text access for screen reader devices for the visually impared"), 92, 183, 181, 17);
  alwaysUse_ = place.CheckBox(1030, QStringLiteral("Always use these settings"), 21, 217);

  for (QWidget* control : std::initializer_list<QWidget*>{openPassword_, permPassword_, printing_, changes_, copy_,
                                                          screenReader_, alwaysUse_}) {
    PaintWhite(control);
  }

  QPushButton* saveExit = place.Button(kSaveExitId, QStringLiteral("Save/Exit"), 133, 215, 76, 14);
  saveExit->setDefault(true);
  QPushButton* cancel = place.Button(kCancelId, QStringLiteral("Cancel"), 275, 215, 50, 14);
  connect(saveExit, &QPushButton::clicked, this, [this] {
    TakeControls();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SecurityWindow::Prepare() {
  LoadFlag(alwaysUse_, settings_.SecAlwaysUse);
  LoadFlag(copy_, settings_.SecPermCopy);
  LoadFlag(screenReader_, settings_.SecPermText);
  LoadText(changes_, settings_.SecPermChanges);
  LoadText(printing_, settings_.SecPermPrinting);
  LoadText(openPassword_, settings_.SecOpenPassword);
  LoadText(permPassword_, settings_.SecPermPassword);
  LoadBackground(QString::fromUtf8(kMainBackground));
}

bool SecurityWindow::Open() {
  Prepare();
  return exec() == QDialog::Accepted;
}

void SecurityWindow::TakeControls() {
  settings_.SecAlwaysUse = TakeFlag(alwaysUse_);
  settings_.SecPermCopy = TakeFlag(copy_);
  settings_.SecPermText = TakeFlag(screenReader_);
  settings_.SecPermChanges = TakeText(changes_);
  settings_.SecPermPrinting = TakeText(printing_);
  settings_.SecOpenPassword = TakeText(openPassword_);
  settings_.SecPermPassword = TakeText(permPassword_);
}

}  // namespace vellumor::ui
