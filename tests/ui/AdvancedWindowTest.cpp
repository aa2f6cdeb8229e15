#include "ui/AdvancedWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTreeWidget>

#include "OptionWindowTesting.h"
#include "settings/Settings.h"
#include "support/ScriptedInteraction.h"

namespace vellumor::test {
namespace {

using ui::AdvancedWindow;

// Every control of each page, labels included.
const std::vector<int> kSavingPdf{1016, 1066, 1065, 1068, 1067, 1069, 1070, 1071, 1074, 1077, 1072, 1073};
const std::vector<int> kPdfSettings{1041, 1038, 1037, 1040, 1039};
const std::vector<int> kInitialView{1043, 1044};
const std::vector<int> kOpenWith{1018, 1019, 1021, 1020};
const std::vector<int> kSheafwright{1045};
const std::vector<int> kUpdates{1047, 1046};
const std::vector<std::vector<int>> kPages{kSavingPdf, kPdfSettings, kInitialView, kOpenWith, kSheafwright, kUpdates};

class AdvancedWindowTest : public ::testing::Test {
 protected:
  AdvancedWindowTest() { OpenWindow(); }

  void OpenWindow() {
    window.Prepare();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QTreeWidget* Tree() { return Find<QTreeWidget>(window, AdvancedWindow::kTreeId); }

  void ClickItem(const QString& text) {
    const QList<QTreeWidgetItem*> found = Tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, Tree()->visualItemRect(found.first()).center());
  }

  // The page whose controls are all shown; every other page's controls must be hidden.
  void ExpectPageShown(const std::vector<int>& page) {
    for (const std::vector<int>& other : kPages) {
      for (int id : other) {
        EXPECT_EQ(Shown(window, id), other == page) << "control " << id;
      }
    }
  }

  QString Marked() const { return window.MarkedItem() != nullptr ? window.MarkedItem()->text(0) : QString(); }

  settings::Settings record{settings::DefaultSettings("/home/ann")};
  ScriptedInteraction interaction;
  AdvancedWindow window{nullptr, record, interaction};
};

TEST_F(AdvancedWindowTest, FirstOpeningShowsSavingPdfWithTheTreeExpanded) {
  EXPECT_EQ(window.windowTitle(), "Advanced");
  EXPECT_EQ(Marked(), "Saving PDF");
  ExpectPageShown(kSavingPdf);
  ASSERT_EQ(Tree()->topLevelItemCount(), 2);
  const QTreeWidgetItem* creation = Tree()->topLevelItem(0);
  const QTreeWidgetItem* vellumor = Tree()->topLevelItem(1);
  EXPECT_EQ(creation->text(0), "Creation");
  EXPECT_TRUE(creation->isExpanded());
  QStringList children;
  for (int index = 0; index < creation->childCount(); ++index) {
    children.append(creation->child(index)->text(0));
  }
  EXPECT_EQ(children, QStringList({"Saving PDF", "PDF settings", "Initial view", "Open with", "Sheafwright"}));
  EXPECT_EQ(vellumor->text(0), "Vellumor");
  EXPECT_TRUE(vellumor->isExpanded());
  ASSERT_EQ(vellumor->childCount(), 1);
  EXPECT_EQ(vellumor->child(0)->text(0), "Updates");
  EXPECT_EQ(Find<QPushButton>(window, ui::kSaveExitId)->text(), "Save/Exit");
  EXPECT_TRUE(Find<QPushButton>(window, ui::kSaveExitId)->isDefault());
}

TEST_F(AdvancedWindowTest, ClickingATreeItemShowsItsPageOnly) {
  const std::vector<std::pair<QString, const std::vector<int>*>> clicks{
      {"Initial view", &kInitialView}, {"PDF settings", &kPdfSettings}, {"Open with", &kOpenWith},
      {"Sheafwright", &kSheafwright},  {"Updates", &kUpdates},          {"Vellumor", &kUpdates},
      {"Creation", &kSavingPdf},       {"Saving PDF", &kSavingPdf},
  };
  for (const auto& [item, page] : clicks) {
    SCOPED_TRACE(item.toStdString());
    ClickItem(item);
    EXPECT_EQ(Marked(), item);
    EXPECT_EQ(window.CurrentPage(), item.toStdString());
    ExpectPageShown(*page);
  }
}

TEST_F(AdvancedWindowTest, KeyboardMovesInTheTreeWithoutChangingThePage) {
  ClickItem("Sheafwright");
  Tree()->setFocus();
  QTest::keyClick(Tree(), Qt::Key_Down);
  QTest::keyClick(Tree(), Qt::Key_Down);
  EXPECT_EQ(Marked(), "Sheafwright");
  ExpectPageShown(kSheafwright);
}

TEST_F(AdvancedWindowTest, ClickBesideEveryItemShowsNoPageAndIsRememberedAsNone) {
  ClickItem("Initial view");
  QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, QPoint(5, Tree()->viewport()->height() - 3));
  EXPECT_EQ(window.MarkedItem(), nullptr);
  for (const std::vector<int>& page : kPages) {
    for (int id : page) {
      EXPECT_FALSE(Shown(window, id)) << "control " << id;
    }
  }
  Click(window, ui::kSaveExitId);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  OpenWindow();
  EXPECT_EQ(Marked(), "Saving PDF");
  ExpectPageShown(kSavingPdf);
}

TEST_F(AdvancedWindowTest, ReopensOnThePageOfTheLastSaveExitOnly) {
  ClickItem("Initial view");
  Click(window, ui::kSaveExitId);
  OpenWindow();
  EXPECT_EQ(Marked(), "Initial view");
  ExpectPageShown(kInitialView);

  ClickItem("Open with");
  Click(window, ui::kCancelId);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  OpenWindow();
  EXPECT_EQ(Marked(), "Initial view");
  ExpectPageShown(kInitialView);

  // A root is remembered by its own name: "Creation" marks "Saving PDF", "Vellumor" itself.
  ClickItem("Creation");
  Click(window, ui::kSaveExitId);
  OpenWindow();
  EXPECT_EQ(Marked(), "Saving PDF");
  ExpectPageShown(kSavingPdf);
  ClickItem("Vellumor");
  Click(window, ui::kSaveExitId);
  OpenWindow();
  EXPECT_EQ(Marked(), "Vellumor");
  ExpectPageShown(kUpdates);
}

TEST_F(AdvancedWindowTest, ControlsShowTheRecordAndSaveExitTakesEveryPage) {
  EXPECT_EQ(Find<QComboBox>(window, 1070)->currentText(), "Overwrite");
  EXPECT_EQ(Find<QComboBox>(window, 1038)->currentText(), "PDF 1.5");
  EXPECT_EQ(Find<QLineEdit>(window, 1040)->text(), "72");
  EXPECT_EQ(Find<QComboBox>(window, 1043)->currentText(), "100");
  EXPECT_EQ(Find<QComboBox>(window, 1047)->currentText(), "14 days");
  EXPECT_TRUE(Find<QCheckBox>(window, 1072)->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(window, 1016)->isChecked());

  QTest::mouseClick(Find<QCheckBox>(window, 1016), Qt::LeftButton);
  Retype(Find<QLineEdit>(window, 1066), "[YYYY]-");
  Retype(Find<QLineEdit>(window, 1068), " final");
  Choose(Find<QComboBox>(window, 1070), "Append to existing");
  Retype(Find<QLineEdit>(window, 1074), "fixed.pdf");
  QTest::mouseClick(Find<QCheckBox>(window, 1073), Qt::LeftButton);
  ClickItem("PDF settings");
  QTest::mouseClick(Find<QCheckBox>(window, 1041), Qt::LeftButton);
  Choose(Find<QComboBox>(window, 1038), "PDF 1.3");
  Retype(Find<QLineEdit>(window, 1040), "150 dpi");
  ClickItem("Initial view");
  Retype(Find<QComboBox>(window, 1043), "33");
  ClickItem("Sheafwright");
  QTest::mouseClick(Find<QCheckBox>(window, 1045), Qt::LeftButton);
  ClickItem("Updates");
  Choose(Find<QComboBox>(window, 1047), "Never");
  Click(window, ui::kSaveExitId);

  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.AdvAskOverwrite, 1);
  EXPECT_EQ(record.AdvPrefixFilename, "[YYYY]-");
  EXPECT_EQ(record.AdvPostfixFilename, " final");
  EXPECT_EQ(record.AdvAppend, "Append to existing");
  EXPECT_EQ(record.AdvFixedFilename, "fixed.pdf");
  EXPECT_EQ(record.AdvShowProgress, 1);
  EXPECT_EQ(record.AdvShowWindow, 0);
  EXPECT_EQ(record.AdvAutoRotatePages, 0);
  EXPECT_EQ(record.AdvPdfVersion, "PDF 1.3");
  EXPECT_EQ(record.AdvPdfResolution, "150 dpi");  // stored as typed, never validated
  EXPECT_EQ(record.AdvZoom, "33");
  EXPECT_EQ(record.AdvSheafwrightFilename, 0);
  EXPECT_EQ(record.AdvCheckUpdate, "Never");
}

TEST_F(AdvancedWindowTest, CancelAndEscapeKeepTheRecordAndEnterSaves) {
  const settings::Settings before = record;
  Retype(Find<QLineEdit>(window, 1066), "draft-");
  Click(window, ui::kCancelId);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  EXPECT_EQ(Find<QLineEdit>(window, 1066)->text(), "");
  Retype(Find<QLineEdit>(window, 1066), "draft-");
  QTest::keyClick(Find<QLineEdit>(window, 1066), Qt::Key_Escape);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(record, before);

  OpenWindow();
  ClickItem("Initial view");
  Retype(Find<QComboBox>(window, 1043), "42");
  QTest::keyClick(Find<QComboBox>(window, 1043)->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(record.AdvZoom, "42");
  EXPECT_EQ(Find<QComboBox>(window, 1043)->count(), 14);  // typed text is not added to the list
}

TEST_F(AdvancedWindowTest, DropDownsSelectTheFirstEntryBeginningWithTheStoredText) {
  window.hide();
  record.AdvZoom = "1";
  record.AdvCheckUpdate = "21 days";
  record.AdvAppend = "";
  record.AdvPdfVersion = "pdf 1.4";
  OpenWindow();
  EXPECT_EQ(Find<QComboBox>(window, 1043)->currentText(), "10");
  EXPECT_EQ(Find<QComboBox>(window, 1047)->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(window, 1047)->currentText(), "21 days");
  EXPECT_EQ(Find<QComboBox>(window, 1038)->currentText(), "PDF 1.4");
  EXPECT_EQ(Entries(Find<QComboBox>(window, 1038)), QStringList({"PDF 1.2", "PDF 1.3", "PDF 1.4", "PDF 1.5"}));
  // An empty text matches no entry: a mere "Save/Exit" must not turn it into "Overwrite".
  EXPECT_EQ(Find<QComboBox>(window, 1070)->currentText(), "");
  Click(window, ui::kSaveExitId);
  EXPECT_EQ(record.AdvZoom, "10");
  EXPECT_EQ(record.AdvCheckUpdate, "21 days");
  EXPECT_EQ(record.AdvAppend, "");
}

TEST_F(AdvancedWindowTest, DefaultViewerBoxTakesTheValuesAndSwitchesTheViewerControls) {
  ClickItem("Open with");
  auto* viewer = Find<QLineEdit>(window, 1019);
  auto* browse = Find<QPushButton>(window, AdvancedWindow::kBrowseId);
  EXPECT_FALSE(viewer->isEnabled());
  EXPECT_FALSE(browse->isEnabled());

  QTest::mouseClick(Find<QCheckBox>(window, 1018), Qt::LeftButton);
  EXPECT_TRUE(viewer->isEnabled());
  EXPECT_TRUE(browse->isEnabled());
  EXPECT_EQ(record.AdvOpenDefaultPDF, 0);

  Retype(viewer, "/usr/bin/okular");
  ClickItem("Saving PDF");
  Retype(Find<QLineEdit>(window, 1066), "pre-");
  ClickItem("Open with");
  QTest::mouseClick(Find<QCheckBox>(window, 1018), Qt::LeftButton);
  EXPECT_FALSE(viewer->isEnabled());
  Click(window, ui::kCancelId);
  // What the box took over stays, Cancel notwithstanding.
  EXPECT_EQ(record.AdvOpenDefaultPDF, 1);
  EXPECT_EQ(record.AdvOpenWith, "/usr/bin/okular");
  EXPECT_EQ(record.AdvPrefixFilename, "pre-");
}

TEST_F(AdvancedWindowTest, BrowseAsksForTheViewerProgram) {
  window.hide();
  record.AdvOpenDefaultPDF = 0;
  record.AdvOpenWith = "/opt/viewer/old";
  OpenWindow();
  ClickItem("Open with");
  Retype(Find<QLineEdit>(window, 1019), "/opt/viewer/typed");
  interaction.fileAnswers.push_back(std::string{"/usr/bin/evince"});
  Click(window, AdvancedWindow::kBrowseId);

  ASSERT_EQ(interaction.fileDialogs.size(), 1u);
  const platform::FileDialogRequest& request = interaction.fileDialogs.front();
  EXPECT_EQ(request.title, "Select a exe to open the pdf with");
  // Programs here have no ".exe": the program filter must not hide them.
  const std::vector<std::pair<std::string, std::string>> filters{{"Open PDF with (*)", "*"},
                                                                 {"All Files (*.*)", "*.*"}};
  EXPECT_EQ(request.filters, filters);
  EXPECT_EQ(request.defaultExtension, "pdf");
  EXPECT_EQ(request.initialName, "/opt/viewer/typed");  // what was typed was taken over first
  EXPECT_EQ(Find<QLineEdit>(window, 1019)->text(), "/usr/bin/evince");
  EXPECT_EQ(record.AdvOpenWith, "/usr/bin/evince");

  // A cancelled dialog changes nothing, but what was typed before it is taken all the same.
  Retype(Find<QLineEdit>(window, 1019), "/opt/other");
  Click(window, AdvancedWindow::kBrowseId);
  EXPECT_EQ(Find<QLineEdit>(window, 1019)->text(), "/opt/other");
  Click(window, ui::kCancelId);
  EXPECT_EQ(record.AdvOpenWith, "/opt/other");
}

}  // namespace
}  // namespace vellumor::test
