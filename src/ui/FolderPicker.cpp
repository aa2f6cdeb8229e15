#include "ui/FolderPicker.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/FolderPath.h"

namespace vellumor::ui {

namespace {

// The browser is a file dialog used as a widget: its own name field and buttons would compete
// with ours, so they go.
void HideOwnControls(QFileDialog& browser) {
  for (const char* name : {"buttonBox", "fileNameEdit", "fileNameLabel", "fileTypeCombo", "fileTypeLabel"}) {
    if (QWidget* control = browser.findChild<QWidget*>(QLatin1String(name))) {
      control->hide();
    }
  }
}

}  // namespace

FolderPicker::FolderPicker(const QString& caption, const QString& instruction, const QString& initialFolder,
                           platform::UserInteraction& ui, QWidget* parent)
    : QDialog(parent), ui_{ui} {
  if (!caption.isNull()) {
    setWindowTitle(caption);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(instruction, this));

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QLatin1String(kEditId));
  layout->addWidget(edit_);

  browser_ = new QFileDialog(this);
  browser_->setObjectName(QLatin1String(kTreeId));
  browser_->setWindowFlags(Qt::Widget);
  browser_->setOption(QFileDialog::DontUseNativeDialog);
  browser_->setOption(QFileDialog::ShowDirsOnly);
  browser_->setFileMode(QFileDialog::Directory);
  HideOwnControls(*browser_);
  browser_->installEventFilter(this);
  layout->addWidget(browser_, 1);

  status_ = new QLabel(this);
  status_->setObjectName(QLatin1String(kStatusId));
  status_->hide();
  layout->addWidget(status_);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QLatin1String(kOkId));
  ok_->setDefault(true);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QLatin1String(kCancelId));
  layout->addWidget(buttons);
  resize(520, 440);

  connect(ok_, &QPushButton::clicked, this, &FolderPicker::OnOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit_, &QLineEdit::textEdited, this, &FolderPicker::OnEditChanged);
  connect(edit_, &QLineEdit::returnPressed, this, &FolderPicker::OnOk);
  connect(browser_, &QFileDialog::currentChanged, this, &FolderPicker::OnSelectionChanged);
  connect(browser_, &QFileDialog::directoryEntered, this, &FolderPicker::OnSelectionChanged);

  SelectFolder(initialFolder.isEmpty() ? QDir::currentPath() : initialFolder);
}

int FolderPicker::Run() {
  accepted_ = false;
  exec();
  return accepted_ ? 1 : -1;
}

void FolderPicker::SelectFolder(const QString& folder) {
  browser_->setDirectory(folder);
  // The browser only reports folders it could enter; a start folder that does not exist shows
  // in the field all the same, as the user's to correct.
  OnSelectionChanged(QFileInfo(folder).isDir() ? QDir(folder).absolutePath() : folder);
}

void FolderPicker::OnSelectionChanged(const QString& path) {
  ok_->setEnabled(!path.isEmpty());
  status_->setText(path);
  edit_->setText(path);
  selected_ = path;
}

void FolderPicker::OnEditChanged(const QString& text) {
  selected_ = text;
  ok_->setEnabled(!text.isEmpty());
}

void FolderPicker::OnOk() {
  if (!ok_->isEnabled()) {
    return;
  }
  selected_ = edit_->text();
  if (ValidateFolderPath(selected_, ui_) != kPathAccepted) {
    edit_->setFocus();
    return;
  }
  accepted_ = true;
  accept();
}

bool FolderPicker::eventFilter(QObject* watched, QEvent* event) {
  // The embedded browser would otherwise close itself on Enter or Escape and leave an empty
  // picker behind; both keys belong to the picker.
  if (watched == browser_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OnOk();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vellumor::ui
