// The main window's controls at their dialog-unit places, and its menu bar.

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "settings/Choices.h"
#include "settings/Settings.h"
#include "ui/DialogUnits.h"
#include "ui/IconButton.h"
#include "ui/MainWindow.h"
#include "ui/OptionWindowControls.h"
#include "ui/Resources.h"

namespace vellumor::ui {

namespace {

using settings::QualityProfile;

struct ProfileButton {
  int id;
  const char* text;
  int x;
  int height;
  QualityProfile profile;
};

constexpr ProfileButton kProfileButtons[] = {{ids::kScreen, "&Screen", 88, 47, QualityProfile::Screen},
                                             {ids::kEbook, "&eBook", 140, 47, QualityProfile::eBook},
                                             {ids::kPrint, "&Print", 192, 47, QualityProfile::Print},
                                             {ids::kPrePress, "P&rePress", 244, 46, QualityProfile::PrePress},
                                             {ids::kCustom, "C&ustom", 296, 46, QualityProfile::Custom}};

template <typename T>
T* Place(T* control, int id, const QRect& area) {
  if (id != 0) {
    control->setObjectName(QString::number(id));
  }
  control->setGeometry(area);
  return control;
}

QComboBox* ListBox(QWidget* parent, std::span<const std::string_view> entries) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(ChoiceEntries(entries));
  return box;
}

}  // namespace

QRect MainWindow::ClientRect(int x, int y, int width, int height) const {
  return DialogUnits(font()).Rect(x, y, width, height).translated(0, clientTop_);
}

QWidget* MainWindow::Control(int id) const {
  return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QAction* MainWindow::MenuCommand(int id) const {
  return menuBar_->findChild<QAction*>(QString::number(id));
}

void MainWindow::BuildMenu() {
  menuBar_ = new QMenuBar(this);
  QMenu* file = menuBar_->addMenu(QStringLiteral("File"));
  const auto add = [](QMenu* menu, const char* text, int id) {
    QAction* action = menu->addAction(QLatin1String(text));
    action->setObjectName(QString::number(id));
    return action;
  };
  add(file, "Save Settings", ids::kMenuSaveSettings);
  add(file, "Save Settings As", ids::kMenuSaveSettingsAs);
  add(file, "Load Settings", ids::kMenuLoadSettings);
  QMenu* profile = menuBar_->addMenu(QStringLiteral("Profile"));
  add(profile, "Screen", ids::kMenuScreen);
  add(profile, "eBook", ids::kMenuEbook);
  add(profile, "Print", ids::kMenuPrint);
  add(profile, "PrePress", ids::kMenuPrePress);
  add(profile, "Custom", ids::kMenuCustom);
  menuBar_->adjustSize();
  clientTop_ = menuBar_->sizeHint().height();
}

void MainWindow::BuildControls() {
  const DialogUnits units(font());
  const QSize client = units.Size(357, 217);
  setFixedSize(client.width(), client.height() + clientTop_);
  menuBar_->setGeometry(0, 0, client.width(), clientTop_);

  // Frames and the side picture first, so every other control lies above them.
  Place(new QGroupBox(this), 0, ClientRect(71, 3, 279, 70));
  Place(new QGroupBox(this), 0, ClientRect(71, 73, 279, 65));
  Place(new QGroupBox(this), 0, ClientRect(71, 140, 279, 44));
  auto* picture = Place(new QLabel(this), 0, ClientRect(1, 7, 71, 183));
  picture->setPixmap(QPixmap(QLatin1String(kSidePicture)));
  picture->setScaledContents(true);

  for (std::size_t index = 0; index < std::size(kProfileButtons); ++index) {
    const ProfileButton& button = kProfileButtons[index];
    profileButtons_[index] =
        Place(new IconButton(QLatin1String(button.text), this), button.id, ClientRect(button.x, 9, 46, button.height));
  }
  qualityText_ =
      Place(new QLabel(QStringLiteral("Quality text here"), this), ids::kQualityText, ClientRect(88, 60, 253, 9));

  Place(new QLabel(QStringLiteral("Filename:"), this), ids::kFileNameLabel, ClientRect(98, 85, 31, 8));
  fileName_ = Place(new QLineEdit(this), ids::kFileName, ClientRect(132, 83, 212, 12));
  Place(new QLabel(QStringLiteral("Save To:"), this), 0, ClientRect(97, 103, 30, 8));
  saveAs_ = Place(ListBox(this, settings::kSaveModes), ids::kSaveAs, ClientRect(132, 100, 213, 12));
  Place(new QLabel(QStringLiteral("After Creation:"), this), 0, ClientRect(81, 121, 46, 8));
  // Kept in alphabetical order, as a sorted list box shows them.
  afterCreation_ =
      Place(ListBox(this, settings::kAfterCreationActions), ids::kAfterCreation, ClientRect(132, 119, 214, 12));

  Place(new QLabel(QStringLiteral("PDF Security:"), this), 0, ClientRect(106, 150, 44, 8));
  securitySummary_ =
      Place(new QLabel(QStringLiteral("Static"), this), ids::kSecuritySummary, ClientRect(156, 150, 134, 8));
  Place(new QPushButton(QStringLiteral("Update"), this), ids::kSecurityUpdate, ClientRect(296, 147, 50, 14));
  Place(new QLabel(QStringLiteral("Document Properties:"), this), 0, ClientRect(82, 167, 69, 8));
  documentSummary_ =
      Place(new QLabel(QStringLiteral("Static"), this), ids::kDocumentSummary, ClientRect(156, 167, 134, 8));
  Place(new QPushButton(QStringLiteral("Update"), this), ids::kDocumentUpdate, ClientRect(296, 164, 50, 14));

  Place(new QPushButton(QStringLiteral("Advanced Options..."), this), ids::kAdvanced, ClientRect(72, 190, 76, 19));
  createPdf_ =
      Place(new QPushButton(QStringLiteral("&Create PDF"), this), ids::kCreatePdf, ClientRect(165, 190, 117, 19));
  createPdf_->setDefault(true);
  progressBar_ = Place(new QProgressBar(this), ids::kProgressBar, ClientRect(165, 191, 116, 17));
  progressBar_->setTextVisible(false);
  Place(new QPushButton(QStringLiteral("Cancel"), this), ids::kCancel, ClientRect(297, 190, 50, 19));
  // Only its id matters: the engine's output reaches the progress display through it.
  auto* timer = Place(new QPushButton(QStringLiteral("Timer"), this), ids::kTimer, ClientRect(283, 193, 14, 14));
  timer->hide();
  timer->setFocusPolicy(Qt::NoFocus);

  for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (label != picture) {
      label->setAutoFillBackground(true);
    }
  }
}

}  // namespace vellumor::ui
