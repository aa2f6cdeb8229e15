// The main window as a user meets it: its controls, settings mode and job mode, the profile
// buttons, the file-name field and its colours, Enter and Escape, and leaving with Cancel.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "settings/QualityProfile.h"
#include "support/MainWindowFixture.h"
#include "ui/IconButton.h"
#include "ui/Resources.h"

namespace vellumor::test {
namespace {

namespace ids = ui::ids;
namespace entries = settings::entries;
using settings::QualityProfile;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QImage Pixels(const QImage& image) {
  return image.convertToFormat(QImage::Format_ARGB32);
}

// Opens the list of `box` and clicks its entry `index`, as a user picks one.
void ChooseFromList(QComboBox& box, int index) {
  box.showPopup();
  QAbstractItemView* list = box.view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
  const QRect entry = list->visualRect(list->model()->index(index, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
}

class MainWindowTest : public MainWindowFixture {
 protected:
  QString FieldText(int id) const {
    if (auto* edit = ControlAs<QLineEdit>(id)) {
      return edit->text();
    }
    if (auto* box = ControlAs<QComboBox>(id)) {
      return box->currentText();
    }
    if (auto* label = ControlAs<QLabel>(id)) {
      return label->text();
    }
    return ControlAs<QAbstractButton>(id)->text();
  }
  // Which profile buttons show their selected icon.
  std::vector<int> SelectedIcons() const {
    std::vector<int> selected;
    const QualityProfile profiles[] = {QualityProfile::Screen, QualityProfile::eBook, QualityProfile::Print,
                                       QualityProfile::PrePress, QualityProfile::Custom};
    for (int index = 0; index < 5; ++index) {
      auto* button = ControlAs<ui::IconButton>(ids::kScreen + index);
      const QImage shown = Pixels(button->OutIcon().toImage());
      if (shown == Pixels(QImage(ui::ProfileIconResource(profiles[index], true)))) {
        selected.push_back(ids::kScreen + index);
      } else {
        EXPECT_EQ(shown, Pixels(QImage(ui::ProfileIconResource(profiles[index], false)))) << index;
      }
    }
    return selected;
  }
  void StartManualJob() {
    StoreSetting("SaveAs", entries::kAskManual);
    Start(PagesJob(1, "Page", "Report"));
  }
};

TEST_F(MainWindowTest, EveryControlSitsAtItsPlaceWithItsText) {
  Start();
  EXPECT_EQ(window->windowTitle().left(19), QStringLiteral("Vellumor v1.06     "));
  struct Expected {
    int id;
    const char* text;
    QRect units;
  };
  const Expected controls[] = {
      {ids::kScreen, "&Screen", {88, 9, 46, 47}},
      {ids::kEbook, "&eBook", {140, 9, 46, 47}},
      {ids::kPrint, "&Print", {192, 9, 46, 47}},
      {ids::kPrePress, "P&rePress", {244, 9, 46, 46}},
      {ids::kCustom, "C&ustom", {296, 9, 46, 46}},
      {ids::kFileNameLabel, "Filename:", {98, 85, 31, 8}},
      {ids::kFileName, "", {132, 83, 212, 12}},
      {ids::kSecurityUpdate, "Update", {296, 147, 50, 14}},
      {ids::kDocumentUpdate, "Update", {296, 164, 50, 14}},
      {ids::kAdvanced, "Advanced Options...", {72, 190, 76, 19}},
      {ids::kCreatePdf, "&Create PDF", {165, 190, 117, 19}},
      {ids::kProgressBar, nullptr, {165, 191, 116, 17}},
      {ids::kCancel, "Cancel", {297, 190, 50, 19}},
      {ids::kTimer, "Timer", {283, 193, 14, 14}},
  };
  for (const Expected& control : controls) {
    QWidget* widget = Control(control.id);
    ASSERT_NE(widget, nullptr) << control.id;
    const QRect& units = control.units;
    EXPECT_EQ(widget->geometry(), window->ClientRect(units.x(), units.y(), units.width(), units.height()))
        << control.id;
    if (control.text != nullptr && control.id != ids::kFileName) {
      EXPECT_EQ(FieldText(control.id), QLatin1String(control.text)) << control.id;
    }
  }
  // The boxes keep their place and width; their height is the list's business.
  EXPECT_EQ(Control(ids::kSaveAs)->geometry().topLeft(), window->ClientRect(132, 100, 213, 30).topLeft());
  EXPECT_EQ(Control(ids::kAfterCreation)->width(), window->ClientRect(132, 119, 214, 30).width());

  std::vector<QString> labels;
  for (QLabel* label : window->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (label->objectName().isEmpty() && !label->text().isEmpty()) {
      labels.push_back(label->text());
    }
  }
  EXPECT_EQ(labels, (std::vector<QString>{QStringLiteral("Save To:"), QStringLiteral("After Creation:"),
                                          QStringLiteral("PDF Security:"), QStringLiteral("Document Properties:")}));
  EXPECT_EQ(window->findChildren<QGroupBox*>().size(), 3);
}

TEST_F(MainWindowTest, ListsAndMenusHoldTheirEntriesInOrder) {
  Start();
  const auto entriesOf = [](QComboBox* box) {
    std::vector<QString> texts;
    for (int index = 0; index < box->count(); ++index) {
      texts.push_back(box->itemText(index));
    }
    return texts;
  };
  EXPECT_EQ(entriesOf(ControlAs<QComboBox>(ids::kSaveAs)),
            (std::vector<QString>{Q(entries::kSaveToDesktopAuto), Q(entries::kAskAuto), Q(entries::kFolderAuto),
                                  Q(entries::kAskManual), Q(entries::kFolderManual)}));
  EXPECT_EQ(entriesOf(ControlAs<QComboBox>(ids::kAfterCreation)),
            (std::vector<QString>{QStringLiteral("Display completed"), QStringLiteral("Do nothing"),
                                  QStringLiteral("Open PDF")}));

  std::vector<QString> menu;
  for (QAction* top : window->MenuBar()->actions()) {
    menu.push_back(top->text());
    for (QAction* item : top->menu()->actions()) {
      menu.push_back(item->objectName() + QLatin1Char(' ') + item->text());
    }
  }
  EXPECT_EQ(menu, (std::vector<QString>{"File", "32773 Save Settings", "32771 Save Settings As", "32772 Load Settings",
                                        "Profile", "32774 Screen", "32775 eBook", "32776 Print", "32777 PrePress",
                                        "32778 Custom"}));
}

TEST_F(MainWindowTest, WithoutAJobItIsASettingsEditorShowingPrint) {
  Start();
  EXPECT_TRUE(controller->State().NoJobData);
  EXPECT_FALSE(Control(ids::kFileName)->isEnabled());
  EXPECT_FALSE(Control(ids::kCreatePdf)->isEnabled());
  EXPECT_TRUE(Control(ids::kCreatePdf)->isVisible());
  EXPECT_FALSE(Control(ids::kProgressBar)->isVisible());
  EXPECT_FALSE(Control(ids::kTimer)->isVisible());
  EXPECT_EQ(FieldText(ids::kQualityText), Q(settings::QualityProfileText(QualityProfile::Print)));
  EXPECT_EQ(SelectedIcons(), std::vector<int>{ids::kPrint});
  EXPECT_EQ(FieldText(ids::kSaveAs), Q(entries::kSaveToDesktopAuto));
  EXPECT_EQ(FieldText(ids::kAfterCreation), QStringLiteral("Display completed"));
  EXPECT_EQ(FieldText(ids::kSecuritySummary), QStringLiteral("None"));
  EXPECT_EQ(FieldText(ids::kDocumentSummary), QStringLiteral("None"));
  EXPECT_TRUE(window->HasBackground());
  EXPECT_TRUE(ControlAs<ui::IconButton>(ids::kScreen)->Transparent());
}

TEST_F(MainWindowTest, AProfileButtonSelectsItsProfileAndPutsBackATypedFileName) {
  StartManualJob();
  auto* name = ControlAs<QLineEdit>(ids::kFileName);
  ASSERT_TRUE(name->isEnabled());
  const QString formed = name->text();
  EXPECT_EQ(formed, QStringLiteral("Report.pdf"));

  name->selectAll();
  QTest::keyClicks(name, QStringLiteral("Other.pdf"));
  Click(ids::kEbook);
  EXPECT_EQ(name->text(), formed);
  // One "&" on the label; the stored text keeps its pair, also once the controls are taken in.
  EXPECT_EQ(FieldText(ids::kQualityText),
            QStringLiteral("Medium size files, for web & office, images are compressed."));
  window->TakeControls();
  EXPECT_EQ(controller->State().settings.Quality, "Medium size files, for web && office, images are compressed.");
  EXPECT_EQ(SelectedIcons(), std::vector<int>{ids::kEbook});

  window->MenuCommand(ids::kMenuPrePress)->trigger();
  EXPECT_EQ(controller->State().settings.Quality, settings::QualityProfileText(QualityProfile::PrePress));
  EXPECT_EQ(SelectedIcons(), std::vector<int>{ids::kPrePress});
}

TEST_F(MainWindowTest, CreatePdfUsesTheNameTypedIntoTheField) {
  StoreSetting("SaveAs", entries::kFolderManual);
  StoreSetting("SaveToPath", outputFolder.string());
  StoreSetting("AfterCreation", entries::kDoNothing);
  Start(PagesJob(2, "Page", "Report"));
  auto* name = ControlAs<QLineEdit>(ids::kFileName);
  name->selectAll();
  QTest::keyClicks(name, QStringLiteral("Typed.pdf"));
  Click(ids::kCreatePdf);
  EXPECT_TRUE(std::filesystem::exists(outputFolder / "Typed.pdf"));
  EXPECT_FALSE(std::filesystem::exists(outputFolder / "Report.pdf"));
  EXPECT_TRUE(window->isVisible()) << "a manual mode stays open after converting";
  EXPECT_TRUE(Control(ids::kCreatePdf)->isVisible());
}

TEST_F(MainWindowTest, EnterAndEscapeAreDiscarded) {
  StartManualJob();
  auto* name = ControlAs<QLineEdit>(ids::kFileName);
  name->setFocus();
  QTest::keyClick(name, Qt::Key_Return);
  QTest::keyClick(name, Qt::Key_Enter);
  QTest::keyClick(Control(ids::kCreatePdf), Qt::Key_Return);
  EXPECT_TRUE(ui.fileDialogs.empty()) << "no conversion asked for a file name";

  QTest::keyClick(name, Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(std::filesystem::exists(controller->State().JobFilePath));
}

TEST_F(MainWindowTest, ControlsHaveTheirColoursAndTheFileNameShowsAppendAndDocumentName) {
  Start();
  const auto brush = [this](int id) {
    QWidget* control = Control(id);
    return control->palette().color(qobject_cast<QLineEdit*>(control) != nullptr ? QPalette::Base : QPalette::Window);
  };
  EXPECT_EQ(brush(ids::kDocumentSummary), QColor(0xCC, 0xCC, 0xCC));
  EXPECT_EQ(brush(ids::kQualityText), QColor(0xFF, 0xDD, 0xAA));
  EXPECT_EQ(brush(ids::kSecuritySummary), QColor(0xFF, 0xBB, 0xFF));
  EXPECT_EQ(brush(ids::kFileNameLabel), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(brush(ids::kFileName), QColor(0xCC, 0xFF, 0xFF));

  StoreSetting("AdvAppend", entries::kAppendToExisting);
  Start();
  EXPECT_EQ(brush(ids::kFileName), QColor(0x03, 0x3F, 0x86));

  StoreSetting("AdvAppend", entries::kOverwrite);
  StoreSetting("AdvSheafwrightFilename", "1");
  Start("", {"-bQuarterly Report.doc"});
  ASSERT_TRUE(controller->State().FileNameTint);
  EXPECT_EQ(brush(ids::kFileName), QColor(0xCC, 0xFF, 0x55));

  StoreSetting("AdvAppend", entries::kAppendToExisting);
  Start("", {"-bQuarterly Report.doc"});
  const QColor both = brush(ids::kFileName);
  EXPECT_TRUE(both.isValid());
  for (const QColor& other : {QColor(0xCC, 0xFF, 0xFF), QColor(0xCC, 0xFF, 0x55), QColor(0x03, 0x3F, 0x86)}) {
    EXPECT_NE(both, other);
  }
}

TEST_F(MainWindowTest, CancelStoresEverySettingShownAndDeletesTheJob) {
  StartManualJob();
  const std::filesystem::path job = controller->State().JobFilePath;
  ASSERT_TRUE(std::filesystem::exists(job));
  Click(ids::kScreen);
  ChooseFromList(*ControlAs<QComboBox>(ids::kAfterCreation), 2);
  ASSERT_EQ(FieldText(ids::kAfterCreation), QStringLiteral("Open PDF"));

  Click(ids::kCancel);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_FALSE(std::filesystem::exists(job));
  const settings::Settings stored = StoredSettings();
  EXPECT_EQ(stored.Quality, settings::QualityProfileText(QualityProfile::Screen));
  EXPECT_EQ(stored.AfterCreation, "Open PDF");
  EXPECT_EQ(stored.SaveAs, entries::kAskManual);
}

TEST_F(MainWindowTest, TheCloseBoxDoesWhatCancelDoes) {
  Start();
  Click(ids::kEbook);
  EXPECT_EQ(StoredSettings().Quality, settings::QualityProfileText(QualityProfile::Print)) << "nothing stored yet";
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(StoredSettings().Quality, settings::QualityProfileText(QualityProfile::eBook));
}

// Settings the editor could not read are never replaced by the defaults it showed instead, not
// even when the file becomes readable while the window is open.
TEST_F(MainWindowTest, SettingsThatCouldNotBeReadAreNotSavedOver) {
  const std::filesystem::path hive = registry.HivePath(platform::RegistryRoot::LocalMachine);
  std::filesystem::create_directories(hive);
  Start();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "the settings could not be read (" + hive.string() +
                                     ": Is a directory); the defaults are shown and will not be stored");
  std::filesystem::remove(hive);
  StoreSetting("Quality", settings::QualityProfileText(QualityProfile::Screen));
  Click(ids::kEbook);
  window->close();
  EXPECT_EQ(StoredSettings().Quality, settings::QualityProfileText(QualityProfile::Screen));
}

TEST_F(MainWindowTest, ChoosingAFolderModeAsksForTheFolder) {
  Start();
  ui.folderAnswers = {outputFolder.string()};
  ChooseFromList(*ControlAs<QComboBox>(ids::kSaveAs), 4);
  EXPECT_EQ(ui.folderPrompts, std::vector<std::string>{"Save to path...|Please choose your directory..."});
  EXPECT_EQ(FieldText(ids::kSaveAs), Q(entries::kFolderManual));
  EXPECT_EQ(controller->State().settings.SaveAs, entries::kFolderManual);
  EXPECT_EQ(controller->State().settings.SaveToPath, outputFolder.string());

  // A mode without a folder asks nothing.
  ChooseFromList(*ControlAs<QComboBox>(ids::kSaveAs), 3);
  EXPECT_EQ(ui.folderPrompts.size(), 1U);
  EXPECT_EQ(controller->State().settings.SaveAs, entries::kAskManual);
}

TEST_F(MainWindowTest, CancellingTheFolderPickerFallsBackToTheSecondEntry) {
  Start();
  const std::string before = controller->State().settings.SaveToPath;
  ChooseFromList(*ControlAs<QComboBox>(ids::kSaveAs), 4);
  EXPECT_EQ(ui.folderPrompts.size(), 1U);
  EXPECT_EQ(FieldText(ids::kSaveAs), Q(entries::kAskAuto));
  EXPECT_EQ(controller->State().settings.SaveAs, entries::kAskAuto);
  EXPECT_EQ(controller->State().settings.SaveToPath, before);
}

}  // namespace
}  // namespace vellumor::test
