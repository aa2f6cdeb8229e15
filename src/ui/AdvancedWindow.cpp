#include "ui/AdvancedWindow.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPalette>
#include <optional>

#include "platform/Shell.h"
#include "settings/Choices.h"
#include "ui/OptionWindowControls.h"

namespace vellumor::ui {

namespace {

// The tree, in the order it is built: item text and the text of its parent ("" for a root).
struct TreeEntry {
  const char* text;
  const char* parent;
};
constexpr TreeEntry kTree[] = {
    {"Creation", ""},
    {"Saving PDF", "Creation"},
    {"PDF settings", "Creation"},
    {"Initial view", "Creation"},
    {"Open with", "Creation"},
    {"Sheafwright", "Creation"},
    {"Vellumor", ""},
    {"Updates", "Vellumor"},
};

constexpr const char* kSavingPdf = "Saving PDF";
constexpr const char* kCreation = "Creation";

}  // namespace

AdvancedWindow::AdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction)
    : BitmapBackgroundDialog(parent), settings_{settings}, interaction_{interaction} {
  setWindowTitle(QStringLiteral("Advanced"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setFixedSize(DialogUnits(font()).Size(323, 193));
  BuildControls();
  BuildTree();
}

void AdvancedWindow::BuildControls() {
  ControlPlacer place(this);
  place.Frame(kNoId, QString(), 106, 3, 210, 146);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(ControlName(kTreeId));
  tree_->setGeometry(place.Units().Rect(7, 7, 95, 142));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  // Keys move the tree's focus but never the page; only a click marks an item and shows a page.
  tree_->setSelectionMode(QAbstractItemView::NoSelection);
  tree_->viewport()->installEventFilter(this);

  std::vector<QWidget*>& saving = pages_[Page::SavingPdf];
  askOverwrite_ = place.CheckBox(1016, QStringLiteral("Ask to overwrite files"), 116, 21);
  prefix_ = place.Edit(1066, 183, 37, 124, 14);
  postfix_ = place.Edit(1068, 183, 54, 124, 14);
  QLabel* hint =
      place.Label(1069, QStringLiteral("Use date time e.g. [hh] for hour.\ne.g. [YYYY]-[MM]-[DD] [hh].[mm].[ss]"), 117,
                  74, 126, 21);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  append_ = place.DropDown(1070, ChoiceEntries(settings::kExistingPdfChoices), false, 181, 99, 125);
  fixedName_ = place.Edit(1074, 187, 116, 119, 14);
  showProgress_ = place.CheckBox(1072, QStringLiteral("Show creating pdf progress"), 111, 135);
  showWindow_ = place.CheckBox(1073, QStringLiteral("Show creating pdf window"), 215, 135);
  saving = {askOverwrite_,
            prefix_,
            place.LabelBefore(1065, QStringLiteral("Prefix filename with:"), prefix_),
            postfix_,
            place.LabelBefore(1067, QStringLiteral("Postfix filename with:"), postfix_),
            hint,
            append_,
            place.LabelBefore(1071, QStringLiteral("If PDF exists:"), append_),
            fixedName_,
            place.LabelBefore(1077, QStringLiteral("Use fixed PDF filename:"), fixedName_),
            showProgress_,
            showWindow_};

  autoRotate_ = place.CheckBox(1041, QStringLiteral("Auto rotate pages"), 116, 24);
  pdfVersion_ = place.DropDown(1038, ChoiceEntries(settings::kPdfVersions), true, 174, 42, 48);
  resolution_ = place.Edit(1040, 174, 65, 48, 14);
  pages_[Page::PdfSettings] = {autoRotate_, pdfVersion_,
                               place.LabelBefore(1037, QStringLiteral("PDF Version:"), pdfVersion_), resolution_,
                               place.LabelBefore(1039, QStringLiteral("PDF Resolution:"), resolution_)};

  zoom_ = place.DropDown(1043, ChoiceEntries(settings::kZoomLevels), false, 148, 23, 48);
  pages_[Page::InitialView] = {zoom_, place.LabelBefore(1044, QStringLiteral("Zoom %:"), zoom_)};

  openDefault_ = place.CheckBox(1018, QStringLiteral("Open PDF document with default viewer"), 116, 24);
  openWith_ = place.Edit(1019, 115, 52, 157, 14);
  browse_ = place.Button(kBrowseId, QStringLiteral("&Browse"), 276, 52, 32, 14);
  // The edit starts at the page's left edge, so its label stands above it.
  pages_[Page::OpenWith] = {openDefault_, openWith_, place.Label(1021, QStringLiteral("View PDF with:-"), 115, 42),
                            browse_};

  sheafwright_ = place.CheckBox(1045, QStringLiteral("Use output file naming from Sheafwright"), 117, 25);
  pages_[Page::Sheafwright] = {sheafwright_};

  checkUpdate_ = place.DropDown(1047, ChoiceEntries(settings::kUpdateIntervals), false, 206, 22, 54);
  pages_[Page::Updates] = {checkUpdate_,
                           place.LabelBefore(1046, QStringLiteral("Check for an update every: "), checkUpdate_)};

  for (auto& [page, controls] : pages_) {
    for (QWidget* control : controls) {
      PaintWhite(control);
    }
  }

  QPushButton* saveExit = place.Button(kSaveExitId, QStringLiteral("Save/Exit"), 127, 172, 69, 14);
  saveExit->setDefault(true);
  QPushButton* cancel = place.Button(kCancelId, QStringLiteral("Cancel"), 266, 172, 50, 14);

  connect(openDefault_, &QCheckBox::clicked, this, [this] { OnDefaultViewerClicked(); });
  connect(browse_, &QPushButton::clicked, this, [this] { OnBrowse(); });
  connect(saveExit, &QPushButton::clicked, this, [this] { OnSaveExit(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AdvancedWindow::BuildTree() {
  for (const TreeEntry& entry : kTree) {
    const QString parentText = QString::fromUtf8(entry.parent);
    const QStringList text{QString::fromUtf8(entry.text)};
    if (parentText.isEmpty()) {
      tree_->addTopLevelItem(new QTreeWidgetItem(text));
    } else {
      ItemNamed(parentText)->addChild(new QTreeWidgetItem(text));
    }
  }
}

QTreeWidgetItem* AdvancedWindow::ItemNamed(const QString& text) const {
  const QList<QTreeWidgetItem*> found = tree_->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

void AdvancedWindow::Prepare() {
  LoadControls();
  LoadBackground(QString::fromUtf8(kOptionsBackground));
  for (int index = 0; index < tree_->topLevelItemCount(); ++index) {
    tree_->topLevelItem(index)->setExpanded(true);
  }
  if (rememberedPage_.empty()) {
    Mark(ItemNamed(QString::fromUtf8(kSavingPdf)));
    ShowPage(kSavingPdf);
  } else {
    const std::string item = rememberedPage_ == kCreation ? std::string{kSavingPdf} : rememberedPage_;
    Mark(ItemNamed(QString::fromStdString(item)));
    ShowPage(rememberedPage_);
  }
}

bool AdvancedWindow::Open() {
  Prepare();
  return exec() == QDialog::Accepted;
}

void AdvancedWindow::LoadControls() {
  LoadFlag(askOverwrite_, settings_.AdvAskOverwrite);
  LoadText(prefix_, settings_.AdvPrefixFilename);
  LoadText(postfix_, settings_.AdvPostfixFilename);
  LoadText(append_, settings_.AdvAppend);
  LoadText(fixedName_, settings_.AdvFixedFilename);
  LoadFlag(showProgress_, settings_.AdvShowProgress);
  LoadFlag(showWindow_, settings_.AdvShowWindow);
  LoadFlag(autoRotate_, settings_.AdvAutoRotatePages);
  LoadText(pdfVersion_, settings_.AdvPdfVersion);
  LoadText(resolution_, settings_.AdvPdfResolution);
  LoadText(zoom_, settings_.AdvZoom);
  LoadFlag(openDefault_, settings_.AdvOpenDefaultPDF);
  LoadText(openWith_, settings_.AdvOpenWith);
  LoadFlag(sheafwright_, settings_.AdvSheafwrightFilename);
  LoadText(checkUpdate_, settings_.AdvCheckUpdate);
}

void AdvancedWindow::TakeControls() {
  settings_.AdvAskOverwrite = TakeFlag(askOverwrite_);
  settings_.AdvPrefixFilename = TakeText(prefix_);
  settings_.AdvPostfixFilename = TakeText(postfix_);
  settings_.AdvAppend = TakeText(append_);
  settings_.AdvFixedFilename = TakeText(fixedName_);
  settings_.AdvShowProgress = TakeFlag(showProgress_);
  settings_.AdvShowWindow = TakeFlag(showWindow_);
  settings_.AdvAutoRotatePages = TakeFlag(autoRotate_);
  settings_.AdvPdfVersion = TakeText(pdfVersion_);
  settings_.AdvPdfResolution = TakeText(resolution_);
  settings_.AdvZoom = TakeText(zoom_);
  settings_.AdvOpenDefaultPDF = TakeFlag(openDefault_);
  settings_.AdvOpenWith = TakeText(openWith_);
  settings_.AdvSheafwrightFilename = TakeFlag(sheafwright_);
  settings_.AdvCheckUpdate = TakeText(checkUpdate_);
}

void AdvancedWindow::ShowPage(const std::string& name) {
  static const std::map<std::string, Page, std::less<>> kPageOfName{
      {"Saving PDF", Page::SavingPdf},     {"Creation", Page::SavingPdf}, {"PDF settings", Page::PdfSettings},
      {"Initial view", Page::InitialView}, {"Open with", Page::OpenWith}, {"Sheafwright", Page::Sheafwright},
      {"Vellumor", Page::Updates},         {"Updates", Page::Updates},
  };
  for (auto& [page, controls] : pages_) {
    for (QWidget* control : controls) {
      control->hide();
    }
  }
  if (const auto found = kPageOfName.find(name); found != kPageOfName.end()) {
    for (QWidget* control : pages_[found->second]) {
      control->show();
    }
  }
  // The viewer path matters only when the default viewer is not used.
  const bool ownViewer = settings_.AdvOpenDefaultPDF == 0;
  openWith_->setEnabled(ownViewer);
  browse_->setEnabled(ownViewer);
  currentPage_ = name;
}

void AdvancedWindow::Mark(QTreeWidgetItem* item) {
  if (marked_ != nullptr) {
    marked_->setData(0, Qt::BackgroundRole, QVariant());
    marked_->setData(0, Qt::ForegroundRole, QVariant());
  }
  marked_ = item;
  if (marked_ != nullptr) {
    marked_->setBackground(0, tree_->palette().brush(QPalette::Active, QPalette::Highlight));
    marked_->setForeground(0, tree_->palette().brush(QPalette::Active, QPalette::HighlightedText));
  }
}

bool AdvancedWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      // Anywhere in a row counts as a click on its item; beside every item, nothing is marked and
      // no page is shown.
      QTreeWidgetItem* item = tree_->itemAt(mouse->position().toPoint());
      Mark(item);
      ShowPage(item != nullptr ? item->text(0).toStdString() : std::string{});
    }
  }
  return BitmapBackgroundDialog::eventFilter(watched, event);
}

void AdvancedWindow::OnDefaultViewerClicked() {
  TakeControls();
  ShowPage(currentPage_);
}

void AdvancedWindow::OnBrowse() {
  TakeControls();
  platform::FileDialogRequest request;
  request.title = "Select a exe to open the pdf with";
  const std::string programs{platform::ProgramFilePattern()};
  request.filters = {{"Open PDF with (" + programs + ")", programs}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "pdf";
  request.initialName = settings_.AdvOpenWith;
  if (std::optional<std::string> chosen = interaction_.ChooseOpenFile(request)) {
    settings_.AdvOpenWith = *chosen;
    LoadControls();
  }
}

void AdvancedWindow::OnSaveExit() {
  TakeControls();
  rememberedPage_ = currentPage_;
  accept();
}

}  // namespace vellumor::ui
