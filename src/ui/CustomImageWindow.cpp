#include "ui/CustomImageWindow.h"

#include <QMouseEvent>
#include <QPixmap>
#include <functional>
#include <utility>

#include "settings/Choices.h"
#include "ui/CustomImageWindowIcons.h"
#include "ui/OptionWindowControls.h"

namespace vellumor::ui {

namespace {

constexpr int kColor = 0;
constexpr int kGreyscale = 1;
constexpr int kMono = 2;

// The kind list reacts to a finished left click, after the list has updated its selection.
class KindList final : public QListWidget {
 public:
  KindList(QWidget* parent, std::function<void()> onLeftClick)
      : QListWidget(parent), onLeftClick_{std::move(onLeftClick)} {}

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
      onLeftClick_();
    }
  }

 private:
  std::function<void()> onLeftClick_;
};

QStringList DownSampleEntries() {
  return ChoiceEntries(settings::kDownsamplings);
}

}  // namespace

CustomImageWindow::CustomImageWindow(QWidget* parent, settings::Settings& settings,
                                     platform::UserInteraction& interaction)
    : BitmapBackgroundDialog(parent), settings_{settings}, interaction_{interaction} {
  setWindowTitle(QStringLiteral("Custom"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setFixedSize(DialogUnits(font()).Size(367, 190));
  BuildControls();
  BuildKindList();
}

void CustomImageWindow::BuildControls() {
  ControlPlacer place(this);
  frame_ = place.Frame(kFrameId, QString(), 84, 3, 276, 156);
  std::vector<QWidget*> everyKind{
      place.Label(1051, QStringLiteral("Downsampling:"), 141, 34),
      place.Label(1053, QStringLiteral("Downsample images above"), 159, 63),
      place.Label(1055, QStringLiteral("PPI"), 325, 62),
      place.Label(1056, QStringLiteral("to"), 240, 84),
      place.Label(1058, QStringLiteral("PPI"), 325, 84),
  };

  Kind& color = kinds_[kColor];
  color.name = QStringLiteral("Color");
  color.downSample = place.DropDown(1052, DownSampleEntries(), false, 197, 32, 124);
  color.fromPpi = place.Edit(1054, 277, 60, 40, 14);
  color.toPpi = place.Edit(1057, 277, 81, 40, 14);
  convertCmyk_ = place.CheckBox(1059, QStringLiteral("Convert CMYK to RGB for on screen viewing"), 125, 110);
  color.controls = {color.downSample, color.fromPpi, color.toPpi, convertCmyk_};

  Kind& grey = kinds_[kGreyscale];
  grey.name = QStringLiteral("Greyscale");
  grey.downSample = place.DropDown(1062, DownSampleEntries(), false, 197, 32, 124);
  grey.fromPpi = place.Edit(1064, 278, 60, 40, 14);
  grey.toPpi = place.Edit(1065, 278, 82, 40, 14);
  grey.controls = {grey.downSample, grey.fromPpi, grey.toPpi};

  Kind& mono = kinds_[kMono];
  mono.name = QStringLiteral("Mono");
  mono.downSample = place.DropDown(1063, DownSampleEntries(), false, 196, 32, 124);
  mono.fromPpi = place.Edit(1066, 277, 60, 40, 14);
  mono.toPpi = place.Edit(1067, 277, 82, 40, 14);
  compression_ = place.DropDown(1060, ChoiceEntries(settings::kMonoCompressions), false, 195, 107, 124);
  mono.controls = {mono.downSample, mono.fromPpi, mono.toPpi, compression_,
                   place.Label(1061, QStringLiteral("Compression:"), 146, 110)};

  for (QWidget* control : everyKind) {
    PaintWhite(control);
  }
  for (const Kind& kind : kinds_) {
    for (QWidget* control : kind.controls) {
      PaintWhite(control);
    }
  }

  QPushButton* saveExit = place.Button(kSaveExitId, QStringLiteral("Save/Exit"), 162, 169, 75, 14);
  saveExit->setDefault(true);
  QPushButton* cancel = place.Button(kCancelId, QStringLiteral("Cancel"), 310, 169, 50, 14);
  connect(saveExit, &QPushButton::clicked, this, [this] { OnSaveExit(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CustomImageWindow::BuildKindList() {
  kindList_ = new KindList(this, [this] { OnListClicked(); });
  kindList_->setObjectName(ControlName(kKindListId));
  const DialogUnits units(font());
  kindList_->setGeometry(units.Rect(7, 7, 72, 152));
  kindList_->setViewMode(QListView::IconMode);
  kindList_->setIconSize(QSize(kKindIconSize, kKindIconSize));
  kindList_->setMovement(QListView::Static);
  kindList_->setFlow(QListView::LeftToRight);
  kindList_->setWrapping(true);
  // One kind per row, centred across the list.
  const int rowWidth = kindList_->width() - 2 * kindList_->frameWidth() - 2;
  kindList_->setGridSize(QSize(rowWidth, units.Y(36)));
  kindList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  kindList_->setDragEnabled(false);
  constexpr ImageKind kIcons[] = {ImageKind::Color, ImageKind::Greyscale, ImageKind::Mono};
  for (int index = 0; index < static_cast<int>(kinds_.size()); ++index) {
    kinds_[index].item =
        new QListWidgetItem(QIcon(QPixmap::fromImage(DrawKindIcon(kIcons[index]))), kinds_[index].name, kindList_);
  }
}

void CustomImageWindow::Prepare() {
  LoadControls();
  LoadBackground(QString::fromUtf8(kOptionsBackground));
  // The remembered kind is always one of the three names, so its first letter finds its item.
  ShowKind(rememberedKind_.empty() ? kinds_[kColor].name : QString::fromStdString(rememberedKind_));
}

bool CustomImageWindow::Open() {
  Prepare();
  return exec() == QDialog::Accepted;
}

void CustomImageWindow::LoadControls() {
  LoadFlag(convertCmyk_, settings_.ColorConvert);
  LoadText(kinds_[kColor].downSample, settings_.ColorDownSample);
  LoadText(compression_, settings_.Compression);
  LoadNumber(kinds_[kColor].fromPpi, settings_.ColorFromPPI);
  LoadNumber(kinds_[kColor].toPpi, settings_.ColorToPPI);
  LoadText(kinds_[kGreyscale].downSample, settings_.GreyDownSample);
  LoadText(kinds_[kMono].downSample, settings_.MonoDownSample);
  LoadNumber(kinds_[kGreyscale].fromPpi, settings_.GreyFromPPI);
  LoadNumber(kinds_[kGreyscale].toPpi, settings_.GreyToPPI);
  LoadNumber(kinds_[kMono].fromPpi, settings_.MonoFromPPI);
  LoadNumber(kinds_[kMono].toPpi, settings_.MonoToPPI);
}

bool CustomImageWindow::TakeControls() {
  struct Resolution {
    int kind;
    QLineEdit* edit;
    std::int32_t settings::Settings::*field;
  };
  const Resolution resolutions[] = {
      {kColor, kinds_[kColor].fromPpi, &settings::Settings::ColorFromPPI},
      {kColor, kinds_[kColor].toPpi, &settings::Settings::ColorToPPI},
      {kGreyscale, kinds_[kGreyscale].fromPpi, &settings::Settings::GreyFromPPI},
      {kGreyscale, kinds_[kGreyscale].toPpi, &settings::Settings::GreyToPPI},
      {kMono, kinds_[kMono].fromPpi, &settings::Settings::MonoFromPPI},
      {kMono, kinds_[kMono].toPpi, &settings::Settings::MonoToPPI},
  };
  // Checked before anything is taken, so that a typing slip never leaves half the values taken
  // while the window reports nothing wrong.
  for (const Resolution& resolution : resolutions) {
    if (!ParseWholeNumber(resolution.edit->text())) {
      ShowKind(kinds_[resolution.kind].name);
      interaction_.ShowMessage("Please enter an integer.", platform::MessageStyle::Application);
      resolution.edit->setFocus();
      resolution.edit->selectAll();
      return false;
    }
  }
  settings_.ColorConvert = TakeFlag(convertCmyk_);
  settings_.ColorDownSample = TakeText(kinds_[kColor].downSample);
  settings_.Compression = TakeText(compression_);
  settings_.GreyDownSample = TakeText(kinds_[kGreyscale].downSample);
  settings_.MonoDownSample = TakeText(kinds_[kMono].downSample);
  for (const Resolution& resolution : resolutions) {
    settings_.*resolution.field = *ParseWholeNumber(resolution.edit->text());
  }
  return true;
}

void CustomImageWindow::ShowKind(const QString& name) {
  for (Kind& kind : kinds_) {
    for (QWidget* control : kind.controls) {
      control->hide();
    }
  }
  for (Kind& kind : kinds_) {
    if (kind.name == name) {
      for (QWidget* control : kind.controls) {
        control->show();
      }
      frame_->setTitle(name);
      // Only the kind shown appears selected.
      for (const Kind& other : kinds_) {
        other.item->setSelected(&other == &kind);
      }
      kindList_->setCurrentItem(kind.item, QItemSelectionModel::NoUpdate);
    }
  }
  currentKind_ = name.toStdString();
}

void CustomImageWindow::OnListClicked() {
  for (const Kind& kind : kinds_) {
    if (kind.item->isSelected()) {
      ShowKind(kind.item->text());
      return;
    }
  }
}

void CustomImageWindow::OnSaveExit() {
  if (!TakeControls()) {
    return;
  }
  rememberedKind_ = currentKind_;
  accept();
}

}  // namespace vellumor::ui
