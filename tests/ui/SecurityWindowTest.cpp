#include "ui/SecurityWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>

#include "OptionWindowTesting.h"
#include "settings/Settings.h"

namespace vellumor::test {
namespace {

using ui::SecurityWindow;

class SecurityWindowTest : public ::testing::Test {
 protected:
  SecurityWindowTest() { OpenWindow(); }

  void OpenWindow() {
    window.Prepare();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  settings::Settings record{settings::DefaultSettings("/home/ann")};
  SecurityWindow window{nullptr, record};
};

TEST_F(SecurityWindowTest, ListsAreSortedAndShowTheDefaults) {
  EXPECT_EQ(window.windowTitle(), "Add Security");
  EXPECT_EQ(Entries(Find<QComboBox>(window, 1026)), QStringList({"High resolution", "Low resolution", "None"}));
  EXPECT_EQ(
      Entries(Find<QComboBox>(window, 1027)),
      QStringList({"All except extract pages", "Commenting, filling in form fields and signing",
                   "Creating, inserting, deleting, rotating pages", "Filling in form fields and signing", "None"}));
  EXPECT_EQ(Find<QComboBox>(window, 1026)->currentText(), "None");
  EXPECT_EQ(Find<QComboBox>(window, 1027)->currentText(), "None");
  EXPECT_EQ(Find<QCheckBox>(window, 1028)->text(), "Enable copying of text, images && other content");
  EXPECT_EQ(Find<QCheckBox>(window, 1029)->text().replace('\n', ' '),
            "Enable text access for screen reader devices for the visually impared");
  EXPECT_FALSE(Find<QCheckBox>(window, 1030)->isChecked());
}

TEST_F(SecurityWindowTest, PasswordsAreMaskedAndTakenAsTyped) {
  auto* open = Find<QLineEdit>(window, 1024);
  auto* permissions = Find<QLineEdit>(window, 1025);
  EXPECT_EQ(open->echoMode(), QLineEdit::Password);
  EXPECT_EQ(permissions->echoMode(), QLineEdit::Password);
  EXPECT_NE(open->displayText(), "secret");

  Retype(open, "secret");
  EXPECT_NE(open->displayText(), "secret");
  EXPECT_EQ(open->displayText().size(), 6);
  Retype(permissions, "owner pw");
  Choose(Find<QComboBox>(window, 1026), "Low resolution");
  Retype(Find<QComboBox>(window, 1027), "Anything goes");
  QTest::mouseClick(Find<QCheckBox>(window, 1028), Qt::LeftButton);
  QTest::mouseClick(Find<QCheckBox>(window, 1029), Qt::LeftButton);
  QTest::mouseClick(Find<QCheckBox>(window, 1030), Qt::LeftButton);
  Click(window, ui::kSaveExitId);

  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.SecOpenPassword, "secret");
  EXPECT_EQ(record.SecPermPassword, "owner pw");
  EXPECT_EQ(record.SecPermPrinting, "Low resolution");
  EXPECT_EQ(record.SecPermChanges, "Anything goes");  // a typed permission is stored as typed
  EXPECT_EQ(record.SecPermCopy, 1);
  EXPECT_EQ(record.SecPermText, 1);
  EXPECT_EQ(record.SecAlwaysUse, 1);
}

TEST_F(SecurityWindowTest, ReopeningShowsWhatWasLastTakenOver) {
  record.SecOpenPassword = "kept";
  record.SecPermChanges = "Filling";
  OpenWindow();
  EXPECT_EQ(Find<QLineEdit>(window, 1024)->text(), "kept");
  EXPECT_EQ(Find<QComboBox>(window, 1027)->currentText(), "Filling in form fields and signing");

  const settings::Settings before = record;
  Retype(Find<QLineEdit>(window, 1024), "unsaved");
  QTest::mouseClick(Find<QCheckBox>(window, 1030), Qt::LeftButton);
  Click(window, ui::kCancelId);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  EXPECT_EQ(Find<QLineEdit>(window, 1024)->text(), "kept");
  EXPECT_FALSE(Find<QCheckBox>(window, 1030)->isChecked());
  Retype(Find<QLineEdit>(window, 1025), "x");
  QTest::keyClick(Find<QLineEdit>(window, 1025), Qt::Key_Escape);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  Retype(Find<QLineEdit>(window, 1025), "by enter");
  QTest::keyClick(Find<QLineEdit>(window, 1025), Qt::Key_Return);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.SecPermPassword, "by enter");
}

TEST_F(SecurityWindowTest, EmptyPermissionsStayEmpty) {
  // An empty permission grants nothing; showing it as the first sorted entry would grant
  // high-resolution printing and every change on the next "Save/Exit".
  record.SecPermPrinting = "";
  record.SecPermChanges = "";
  OpenWindow();
  EXPECT_EQ(Find<QComboBox>(window, 1026)->currentText(), "");
  EXPECT_EQ(Find<QComboBox>(window, 1027)->currentText(), "");
  Click(window, ui::kSaveExitId);
  EXPECT_EQ(record.SecPermPrinting, "");
  EXPECT_EQ(record.SecPermChanges, "");
}

TEST_F(SecurityWindowTest, NumberedControlsAreWhiteAndUnnumberedOnesShowTheBackground) {
  for (int id : {1028, 1029, 1030}) {
    auto* box = Find<QCheckBox>(window, id);
    EXPECT_TRUE(box->autoFillBackground()) << id;
    EXPECT_EQ(box->palette().color(box->backgroundRole()), QColor(Qt::white)) << id;
  }
  const QList<QLabel*> labels = window.findChildren<QLabel*>();
  ASSERT_FALSE(labels.isEmpty());
  for (const QLabel* label : labels) {
    EXPECT_TRUE(label->objectName().isEmpty()) << label->text().toStdString();
    EXPECT_FALSE(label->autoFillBackground()) << label->text().toStdString();
  }
}

}  // namespace
}  // namespace vellumor::test
