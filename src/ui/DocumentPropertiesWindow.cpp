#include "ui/DocumentPropertiesWindow.h"

#include "ui/OptionWindowControls.h"

namespace vellumor::ui {

DocumentPropertiesWindow::DocumentPropertiesWindow(QWidget* parent, settings::Settings& settings)
    : BitmapBackgroundDialog(parent), settings_{settings} {
  setWindowTitle(QStringLiteral("Document Properties"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setFixedSize(DialogUnits(font()).Size(260, 193));
  BuildControls();
}

void DocumentPropertiesWindow::BuildControls() {
  ControlPlacer place(this);
  title_ = place.Edit(1031, 57, 20, 162, 14);
  author_ = place.Edit(1032, 57, 45, 162, 14);
  subject_ = place.Edit(1033, 57, 70, 162, 14);
  // One line of keywords in a taller box, written from its top.
  keywords_ = place.Edit(1034, 57, 95, 162, 31);
  keywords_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  alwaysUse_ = place.CheckBox(1035, QStringLiteral("Always use these settings"), 59, 140);
  for (QWidget* control :
       std::initializer_list<QWidget*>{title_, place.LabelBefore(kNoId, QStringLiteral("Title:"), title_), author_,
                                       place.LabelBefore(kNoId, QStringLiteral("Author:"), author_), subject_,
                                       place.LabelBefore(kNoId, QStringLiteral("Subject:"), subject_), keywords_,
                                       place.LabelBefore(kNoId, QStringLiteral("Keywords:"), keywords_), alwaysUse_}) {
    PaintWhite(control);
  }

  QPushButton* clearAll = place.Button(kClearAllId, QStringLiteral("Clear ALL"), 7, 172, 50, 14);
  QPushButton* saveExit = place.Button(kSaveExitId, QStringLiteral("Save/Exit"), 95, 172, 69, 14);
  saveExit->setDefault(true);
  QPushButton* cancel = place.Button(kCancelId, QStringLiteral("Cancel"), 203, 172, 50, 14);
  connect(clearAll, &QPushButton::clicked, this, [this] { OnClearAll(); });
  connect(saveExit, &QPushButton::clicked, this, [this] {
    TakeControls();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DocumentPropertiesWindow::Prepare() {
  LoadControls();
  LoadBackground(QString::fromUtf8(kMainBackground));
}

bool DocumentPropertiesWindow::Open() {
  Prepare();
  return exec() == QDialog::Accepted;
}

void DocumentPropertiesWindow::LoadControls() {
  LoadText(title_, settings_.DocTitle);
  LoadText(author_, settings_.DocAuthor);
  LoadText(subject_, settings_.DocSubject);
  LoadText(keywords_, settings_.DocKeywords);
  LoadFlag(alwaysUse_, settings_.DocAlwaysUse);
}

void DocumentPropertiesWindow::TakeControls() {
  settings_.DocTitle = TakeText(title_);
  settings_.DocAuthor = TakeText(author_);
  settings_.DocSubject = TakeText(subject_);
  settings_.DocKeywords = TakeText(keywords_);
  settings_.DocAlwaysUse = TakeFlag(alwaysUse_);
}

// Takes effect at once: the window stays open and a later "Cancel" keeps the fields cleared.
void DocumentPropertiesWindow::OnClearAll() {
  TakeControls();
  settings_.DocAlwaysUse = 0;
  settings_.DocTitle.clear();
  settings_.DocAuthor.clear();
  settings_.DocSubject.clear();
  settings_.DocKeywords.clear();
  LoadControls();
}

}  // namespace vellumor::ui
