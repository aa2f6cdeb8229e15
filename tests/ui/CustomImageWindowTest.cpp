#include "ui/CustomImageWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>

#include "OptionWindowTesting.h"
#include "settings/Settings.h"
#include "support/ScriptedInteraction.h"

namespace vellumor::test {
namespace {

using ui::CustomImageWindow;

// The controls only one kind shows: downsampling, above, to, and its further controls.
const std::vector<int> kColor{1052, 1054, 1057, 1059};
const std::vector<int> kGreyscale{1062, 1064, 1065};
const std::vector<int> kMono{1063, 1066, 1067, 1060, 1061};
const std::vector<int> kEveryKind{1051, 1053, 1055, 1056, 1058};

class CustomImageWindowTest : public ::testing::Test {
 protected:
  CustomImageWindowTest() { OpenWindow(); }

  void OpenWindow() {
    window.Prepare();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QListWidget* List() { return Find<QListWidget>(window, CustomImageWindow::kKindListId); }

  void ClickKind(const QString& name) {
    const QList<QListWidgetItem*> found = List()->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(found.first()).center());
  }

  void ExpectKindShown(const QString& name, const std::vector<int>& controls) {
    EXPECT_EQ(window.CurrentKind(), name.toStdString());
    EXPECT_EQ(Find<QGroupBox>(window, CustomImageWindow::kFrameId)->title(), name);
    for (const std::vector<int>* kind : {&kColor, &kGreyscale, &kMono}) {
      for (int id : *kind) {
        EXPECT_EQ(Shown(window, id), *kind == controls) << "control " << id;
      }
    }
    for (int id : kEveryKind) {
      EXPECT_TRUE(Shown(window, id)) << "control " << id;
    }
    QStringList selected;
    for (const QListWidgetItem* item : List()->selectedItems()) {
      selected.append(item->text());
    }
    EXPECT_EQ(selected, QStringList{name});
  }

  QString Text(int id) const { return Find<QLineEdit>(window, id)->text(); }

  settings::Settings record{settings::DefaultSettings("/home/ann")};
  ScriptedInteraction interaction;
  CustomImageWindow window{nullptr, record, interaction};
};

TEST_F(CustomImageWindowTest, FirstOpeningShowsColorAndListsTheThreeKinds) {
  EXPECT_EQ(window.windowTitle(), "Custom");
  ASSERT_EQ(List()->count(), 3);
  EXPECT_EQ(List()->item(0)->text(), "Color");
  EXPECT_EQ(List()->item(1)->text(), "Greyscale");
  EXPECT_EQ(List()->item(2)->text(), "Mono");
  for (int row = 0; row < 3; ++row) {
    EXPECT_FALSE(List()->item(row)->icon().isNull());
  }
  EXPECT_EQ(List()->iconSize(), QSize(32, 32));
  ExpectKindShown("Color", kColor);
}

TEST_F(CustomImageWindowTest, EachKindShowsItsOwnFields) {
  record.ColorDownSample = "Average";
  record.GreyDownSample = "Bicubic";
  record.MonoDownSample = "Sub";
  record.ColorFromPPI = 301;
  record.ColorToPPI = 71;
  record.GreyFromPPI = 302;
  record.GreyToPPI = 72;
  record.MonoFromPPI = 303;
  record.MonoToPPI = -73;
  record.ColorConvert = 1;
  record.Compression = "Flate encode";
  OpenWindow();

  ExpectKindShown("Color", kColor);
  EXPECT_EQ(Find<QComboBox>(window, 1052)->currentText(), "Average");
  EXPECT_EQ(Text(1054), "301");
  EXPECT_EQ(Text(1057), "71");
  EXPECT_TRUE(Find<QCheckBox>(window, 1059)->isChecked());

  ClickKind("Greyscale");
  ExpectKindShown("Greyscale", kGreyscale);
  EXPECT_EQ(Find<QComboBox>(window, 1062)->currentText(), "Bicubic");
  EXPECT_EQ(Text(1064), "302");
  EXPECT_EQ(Text(1065), "72");

  ClickKind("Mono");
  ExpectKindShown("Mono", kMono);
  EXPECT_EQ(Find<QComboBox>(window, 1063)->currentText(), "Subsample");
  EXPECT_EQ(Text(1066), "303");
  EXPECT_EQ(Text(1067), "-73");
  EXPECT_EQ(Find<QComboBox>(window, 1060)->currentText(), "Flate encode");
  EXPECT_EQ(Entries(Find<QComboBox>(window, 1060)),
            QStringList({"CCITT Fax encoded", "Flate encode", "Run length encode"}));
  EXPECT_EQ(Entries(Find<QComboBox>(window, 1063)),
            QStringList({"No downsampling", "Average", "Bicubic", "Subsample"}));

  ClickKind("Color");
  ExpectKindShown("Color", kColor);
}

TEST_F(CustomImageWindowTest, SaveExitTakesEveryKindAndRemembersTheKindShown) {
  Choose(Find<QComboBox>(window, 1052), "Bicubic");
  Retype(Find<QLineEdit>(window, 1054), "600");
  QTest::mouseClick(Find<QCheckBox>(window, 1059), Qt::LeftButton);
  ClickKind("Mono");
  Retype(Find<QComboBox>(window, 1063), "Lanczos");
  Retype(Find<QLineEdit>(window, 1067), " 144 ");
  Choose(Find<QComboBox>(window, 1060), "Run length encode");
  ClickKind("Greyscale");
  Retype(Find<QLineEdit>(window, 1064), "+250");
  Click(window, ui::kSaveExitId);

  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.ColorDownSample, "Bicubic");
  EXPECT_EQ(record.ColorFromPPI, 600);
  EXPECT_EQ(record.ColorConvert, 1);
  EXPECT_EQ(record.MonoDownSample, "Lanczos");
  EXPECT_EQ(record.MonoToPPI, 144);
  EXPECT_EQ(record.Compression, "Run length encode");
  EXPECT_EQ(record.GreyFromPPI, 250);
  EXPECT_EQ(record.GreyDownSample, "No downsampling");

  OpenWindow();
  ExpectKindShown("Greyscale", kGreyscale);
  ClickKind("Mono");
  Click(window, ui::kSaveExitId);
  // Only the remembered kind appears selected, not all three.
  OpenWindow();
  ExpectKindShown("Mono", kMono);
}

TEST_F(CustomImageWindowTest, ClickBesideTheItemsClearsTheSelectionButKeepsTheKind) {
  ClickKind("Mono");
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(3, List()->viewport()->height() - 3));
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(window.CurrentKind(), "Mono");
  EXPECT_TRUE(Shown(window, 1060));
  EXPECT_EQ(Find<QGroupBox>(window, CustomImageWindow::kFrameId)->title(), "Mono");
}

TEST_F(CustomImageWindowTest, CancelAndEscapeTakeNothing) {
  const settings::Settings before = record;
  Retype(Find<QLineEdit>(window, 1054), "1200");
  ClickKind("Mono");
  Click(window, ui::kCancelId);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  ExpectKindShown("Color", kColor);  // Cancel does not remember the kind
  EXPECT_EQ(Text(1054), "300");
  Retype(Find<QLineEdit>(window, 1057), "96");
  QTest::keyClick(Find<QLineEdit>(window, 1057), Qt::Key_Escape);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  Retype(Find<QLineEdit>(window, 1057), "96");
  QTest::keyClick(Find<QLineEdit>(window, 1057), Qt::Key_Return);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.ColorToPPI, 96);
}

TEST_F(CustomImageWindowTest, ResolutionThatIsNoWholeNumberKeepsTheWindowOpenAndTakesNothing) {
  Retype(Find<QLineEdit>(window, 1054), "450");
  ClickKind("Mono");
  Retype(Find<QLineEdit>(window, 1066), "high");
  Retype(Find<QLineEdit>(window, 1067), "99999999999");
  ClickKind("Color");
  const settings::Settings before = record;
  Click(window, ui::kSaveExitId);

  EXPECT_EQ(interaction.MessageTexts(), std::vector<std::string>{"Please enter an integer."});
  EXPECT_EQ(interaction.messages.front().style, platform::MessageStyle::Application);
  EXPECT_TRUE(window.isVisible());
  EXPECT_NE(window.result(), QDialog::Accepted);
  EXPECT_EQ(record, before);
  ExpectKindShown("Mono", kMono);  // the offending box is brought into view
  EXPECT_TRUE(Find<QLineEdit>(window, 1066)->hasFocus());

  Retype(Find<QLineEdit>(window, 1066), "150");
  Retype(Find<QLineEdit>(window, 1067), "75");
  Click(window, ui::kSaveExitId);
  EXPECT_EQ(interaction.messages.size(), 1u);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.ColorFromPPI, 450);
  EXPECT_EQ(record.MonoFromPPI, 150);
  EXPECT_EQ(record.MonoToPPI, 75);
}

}  // namespace
}  // namespace vellumor::test
