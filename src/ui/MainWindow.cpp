#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "convert/SetupCommands.h"
#include "settings/Choices.h"
#include "ui/DialogUnits.h"
#include "ui/IconButton.h"
#include "ui/Resources.h"
#include "ui/Skin.h"

namespace vellumor::ui {

namespace {

using settings::QualityProfile;

constexpr QualityProfile kProfiles[] = {QualityProfile::Screen, QualityProfile::eBook, QualityProfile::Print,
                                        QualityProfile::PrePress, QualityProfile::Custom};

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The stored texts write a literal "&" as "&&", the escape of the window system they were made
// for; a label shows one "&" for each pair.
QString LabelText(const std::string& text) {
  return Text(text).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// A box selects the first entry that begins with the text, ignoring case, and otherwise shows
// the text itself.
void ShowInBox(QComboBox& box, const QString& text) {
  for (int index = 0; index < box.count(); ++index) {
    if (box.itemText(index).startsWith(text, Qt::CaseInsensitive)) {
      box.setCurrentIndex(index);
      box.setEditText(box.itemText(index));
      return;
    }
  }
  box.setEditText(text);
}

void Fill(QWidget& control, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = control.palette();
  palette.setColor(role, colour);
  control.setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(platform::UserInteraction& ui, const platform::Clock& clock, platform::Shell& shell,
                       QWidget* parent)
    : BitmapBackgroundDialog(parent), ui_{ui}, clock_{clock}, shell_{shell} {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QLatin1String(kMainWindowCaption));
  setWindowIcon(ApplicationIcon());
  setFont(DialogFont());
  // No skinning layer exists on this platform; the window looks native either way.
  (void)LoadSkin("Vista.cjstyles", "NormalBlack2.ini");

  BuildMenu();
  BuildControls();
  ConnectCommands();
  ShowProgressBar(false);
  progressBar_->setRange(1, 4);
  SetProgressBarPosition(0);
  ShowProfileIcons();
  ApplyColours();
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
}

void MainWindow::ConnectCommands() {
  for (std::size_t index = 0; index < profileButtons_.size(); ++index) {
    const QualityProfile profile = kProfiles[index];
    const auto select = [this, profile] {
      SelectProfile(profile);
      if (profile == QualityProfile::Custom) {
        OnCustom();
      }
    };
    connect(profileButtons_[index], &QPushButton::clicked, this, select);
    connect(MenuCommand(ids::kMenuScreen + static_cast<int>(index)), &QAction::triggered, this, select);
  }
  connect(createPdf_, &QPushButton::clicked, this, &MainWindow::CreatePdf);
  connect(ControlAs<QPushButton>(ids::kCancel), &QPushButton::clicked, this, &MainWindow::Cancel);
  connect(ControlAs<QPushButton>(ids::kAdvanced), &QPushButton::clicked, this, &MainWindow::OnAdvanced);
  connect(ControlAs<QPushButton>(ids::kSecurityUpdate), &QPushButton::clicked, this, &MainWindow::OnSecurity);
  connect(ControlAs<QPushButton>(ids::kDocumentUpdate), &QPushButton::clicked, this, &MainWindow::OnDocumentProperties);
  connect(saveAs_, &QComboBox::activated, this, &MainWindow::OnSaveToChosen);
  connect(MenuCommand(ids::kMenuSaveSettings), &QAction::triggered, this, &MainWindow::OnSaveSettings);
  connect(MenuCommand(ids::kMenuSaveSettingsAs), &QAction::triggered, this, &MainWindow::OnSaveSettingsAs);
  connect(MenuCommand(ids::kMenuLoadSettings), &QAction::triggered, this, &MainWindow::OnLoadSettings);
}

void MainWindow::Bind(app::MainController& controller) {
  controller_ = &controller;
  state_ = &controller.State();
  if (state_->NoJobData) {
    fileName_->setEnabled(false);
    createPdf_->setEnabled(false);
  }
  RefreshControls();
  ShowProfileIcons();
  FirstFocus();
  LoadBackground(QLatin1String(kMainBackground));
  RefreshSummaries();
}

void MainWindow::TakeControls() {
  state_->OutputFileName = fileName_->text().toStdString();
  state_->settings.SaveAs = saveAs_->currentText().toStdString();
  state_->settings.AfterCreation = afterCreation_->currentText().toStdString();
  // The quality and summary labels only show what the state holds; read back, they would lose
  // the stored form of their "&".
}

void MainWindow::RefreshControls() {
  const QSignalBlocker blockSaveAs(saveAs_);
  const QSignalBlocker blockAfterCreation(afterCreation_);
  fileName_->setText(Text(state_->OutputFileName));
  ShowInBox(*saveAs_, Text(state_->settings.SaveAs));
  ShowInBox(*afterCreation_, Text(state_->settings.AfterCreation));
  qualityText_->setText(LabelText(state_->settings.Quality));
  securitySummary_->setText(LabelText(state_->SecuritySummary));
  documentSummary_->setText(LabelText(state_->DocumentSummary));
  ApplyColours();
}

void MainWindow::SelectProfile(QualityProfile profile) {
  convert::SelectQualityProfile(*state_, profile);
  RefreshControls();
  ShowProfileIcons();
}

void MainWindow::RefreshSummaries() {
  TakeControls();
  convert::RefreshSummaries(*state_);
  RefreshControls();
}

void MainWindow::ShowProfileIcons() {
  const QualityProfile current = settings::QualityProfileFromText(state_->settings.Quality);
  for (std::size_t index = 0; index < profileButtons_.size(); ++index) {
    const QualityProfile profile = kProfiles[index];
    profileButtons_[index]->SetIcon(ProfileIconResource(profile, controller_ != nullptr && profile == current));
  }
}

void MainWindow::FirstFocus() {
  if (!firstFocus_) {
    return;
  }
  firstFocus_ = false;
  for (IconButton* button : profileButtons_) {
    button->SetTransparent(true);
  }
}

QColor MainWindow::FileNameColour() const {
  const bool append = settings::ExistingPdfOf(state_->settings.AdvAppend) == settings::ExistingPdf::Append;
  if (append && state_->FileNameTint) {
    return colours::kFileNameTintAndAppend;
  }
  if (append) {
    return colours::kFileNameAppend;
  }
  return state_->FileNameTint ? colours::kFileNameTint : colours::kFileName;
}

void MainWindow::ApplyColours() {
  for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (label->autoFillBackground()) {
      Fill(*label, QPalette::Window, colours::kOtherControls);
    }
  }
  Fill(*documentSummary_, QPalette::Window, colours::kDocumentSummary);
  Fill(*qualityText_, QPalette::Window, colours::kQualityText);
  Fill(*securitySummary_, QPalette::Window, colours::kSecuritySummary);
  const QColor fileNameBrush = FileNameColour();
  Fill(*fileName_, QPalette::Base, fileNameBrush);
  // The dark append brush would swallow black text.
  Fill(*fileName_, QPalette::Text, fileNameBrush.lightness() < 128 ? Qt::white : Qt::black);
  Fill(*saveAs_, QPalette::Base, colours::kOtherControls);
  Fill(*afterCreation_, QPalette::Base, colours::kOtherControls);
}

void MainWindow::ShowProgressBar(bool visible) {
  progressBar_->setVisible(visible);
  createPdf_->setVisible(!visible);
}

void MainWindow::SetProgressBarPosition(int position) {
  if (position < progressBar_->minimum() || position > progressBar_->maximum()) {
    progressBar_->reset();
  } else {
    progressBar_->setValue(position);
  }
}

void MainWindow::CreatePdf() {
  // The engine runs once per process at a time; a second press while it works (the progress
  // display lets input through) waits for nothing and does nothing.
  if (controller_ == nullptr || converting_) {
    return;
  }
  // Taken before anything is shown, so a file name typed into the field is the one used.
  TakeControls();
  converting_ = true;
  controller_->CreatePdf();
  converting_ = false;
  RefreshControls();
  if (abandonAfterConversion_) {
    done(QDialog::Rejected);
    return;
  }
  if (cancelAfterConversion_) {
    Cancel();
  }
}

void MainWindow::Cancel() {
  // Closing while the engine still reads the job would delete the job under it; the window
  // closes as soon as the conversion is over instead.
  if (converting_) {
    cancelAfterConversion_ = true;
    return;
  }
  if (controller_ != nullptr) {
    // A choice made in a box but not yet taken over is kept like every other setting.
    TakeControls();
    controller_->Cancel();
  }
  done(QDialog::Rejected);
}

void MainWindow::Abandon() {
  if (converting_) {
    abandonAfterConversion_ = true;
    return;
  }
  done(QDialog::Rejected);
}

void MainWindow::reject() {
  Cancel();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (isVisible()) {
    Cancel();
  }
}

void MainWindow::changeEvent(QEvent* event) {
  BitmapBackgroundDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    FirstFocus();
  }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  // Qt cannot add to the window manager's window menu; the About command lives here instead.
  QMenu menu(this);
  QAction* about = menu.addAction(QStringLiteral("&About Vellumor..."));
  about->setObjectName(QString::number(ids::kAbout));
  connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);
  menu.exec(event->globalPos());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Enter and Escape are dropped before any control sees them: Enter must not start a
  // conversion, Escape must not close the window.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) && widget != nullptr &&
        (widget == this || isAncestorOf(widget))) {
      return true;
    }
  }
  return BitmapBackgroundDialog::eventFilter(watched, event);
}

}  // namespace vellumor::ui
