// The folder picker: the form check of typed paths, the validation dialogue with the user, and
// the picker window driven as a user would (typing, clearing, OK, Cancel).

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/ModalDriver.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"
#include "ui/FolderPath.h"
#include "ui/FolderPicker.h"

namespace vellumor::ui {
namespace {

QString Path(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

TEST(CheckPathForm, AcceptsAbsolutePathsOnlyAndRefusesAMissingTopLevelFolder) {
  EXPECT_EQ(CheckPathForm(QString(), true), kPathInvalid);
  EXPECT_EQ(CheckPathForm(QStringLiteral("C:"), true), kPathInvalid);
  EXPECT_EQ(CheckPathForm(QStringLiteral("C:\\Reports"), true), kPathInvalid);
  EXPECT_EQ(CheckPathForm(QStringLiteral("1reports"), true), kPathInvalid);
  EXPECT_EQ(CheckPathForm(QStringLiteral("reports/2016"), true), kPathInvalid);
  EXPECT_EQ(CheckPathForm(QStringLiteral("//server/share"), true), kPathAccepted);
  EXPECT_EQ(CheckPathForm(QStringLiteral("/"), false), kPathAccepted);
  EXPECT_EQ(CheckPathForm(QStringLiteral("/tmp/not/yet/there"), false), kPathAccepted);
  EXPECT_EQ(CheckPathForm(QStringLiteral("/no-such-top-level-vellumor/x"), true), kPathAccepted);
  EXPECT_EQ(CheckPathForm(QStringLiteral("/no-such-top-level-vellumor/x"), false), kPathCannotBeCreated);
}

class ValidateFolderPathTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScriptedInteraction ui;
};

TEST_F(ValidateFolderPathTest, AnExistingFolderIsAcceptedWithoutAQuestion) {
  EXPECT_EQ(ValidateFolderPath(Path(dir.Path()), ui), kPathAccepted);
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ValidateFolderPathTest, AMissingFolderIsMadeOnYesAndLeftOnNo) {
  const std::filesystem::path missing = dir / "Reports" / "2016";
  const std::string question =
      "The folder:\n\n" + missing.string() + "\n\ndoes not exist. Do you want the folder to be created?";

  EXPECT_EQ(ValidateFolderPath(Path(missing), ui), kPathDeclined);
  EXPECT_EQ(ui.questions, std::vector<std::string>{question});
  EXPECT_FALSE(std::filesystem::exists(missing));

  ui.yesNoAnswers = {true};
  EXPECT_EQ(ValidateFolderPath(Path(missing), ui), kPathAccepted);
  EXPECT_TRUE(std::filesystem::is_directory(missing));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ValidateFolderPathTest, ReportsInvalidAndUncreatablePaths) {
  EXPECT_EQ(ValidateFolderPath(QStringLiteral("C:"), ui), kPathInvalid);
  EXPECT_TRUE(ui.questions.empty());

  ui.yesNoAnswers = {true};
  EXPECT_EQ(ValidateFolderPath(QStringLiteral("/no-such-top-level-vellumor/x"), ui), kPathCannotBeCreated);

  // A folder that cannot be made where the form is fine: below a plain file.
  test::WriteFileBytes(dir / "file", "x");
  ui.yesNoAnswers = {true};
  EXPECT_EQ(ValidateFolderPath(Path(dir / "file" / "sub"), ui), kPathCannotBeCreated);

  ASSERT_EQ(ui.messages.size(), 3U);
  EXPECT_EQ(ui.messages[0].text, "The folder:\n\nC:\n\nis invalid. Please reenter.");
  EXPECT_EQ(ui.messages[1].text,
            "The folder:\n\n/no-such-top-level-vellumor/x\n\ncan not be created. Please double check.");
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::Application);
}

class FolderPickerTest : public ::testing::Test {
 protected:
  // Runs the picker; `drive` acts on it while it is open.
  int RunPicker(FolderPicker& picker, std::function<void(FolderPicker&)> drive) {
    modals.Next([&picker, drive](QWidget&) { drive(picker); });
    return picker.Run();
  }
  static QLineEdit& Edit(FolderPicker& picker) {
    return *picker.findChild<QLineEdit*>(QLatin1String(FolderPicker::kEditId));
  }
  static QPushButton& Ok(FolderPicker& picker) {
    return *picker.findChild<QPushButton*>(QLatin1String(FolderPicker::kOkId));
  }

  test::TempDir dir;
  test::ScriptedInteraction ui;
  test::ModalDriver modals;
};

TEST_F(FolderPickerTest, StartsAtTheInitialFolderAndAcceptsIt) {
  FolderPicker picker(QStringLiteral("Save to path..."), QStringLiteral("Please choose your directory..."),
                      Path(dir.Path()), ui);
  EXPECT_EQ(picker.windowTitle(), QStringLiteral("Save to path..."));
  const int result = RunPicker(picker, [](FolderPicker& shown) {
    EXPECT_EQ(Edit(shown).text(),
              QString::fromStdString(std::filesystem::canonical(shown.SelectedPath().toStdString()).string()));
    EXPECT_TRUE(Ok(shown).isEnabled());
    QTest::mouseClick(&Ok(shown), Qt::LeftButton);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(std::filesystem::path(picker.SelectedPath().toStdString()), std::filesystem::canonical(dir.Path()));
}

TEST_F(FolderPickerTest, ATypedInvalidPathKeepsThePickerOpenWithTheFocusInTheField) {
  FolderPicker picker(QStringLiteral("Save to path..."), QStringLiteral("Please choose your directory..."),
                      Path(dir.Path()), ui);
  const QString typed = Path(dir / "typed");
  const int result = RunPicker(picker, [&](FolderPicker& shown) {
    QLineEdit& edit = Edit(shown);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("D:"));
    QTest::mouseClick(&Ok(shown), Qt::LeftButton);
    EXPECT_TRUE(shown.isVisible()) << "an invalid path does not close the picker";
    EXPECT_EQ(shown.focusWidget(), &edit);

    // Clearing the field disables OK; a new folder the user agrees to make is accepted.
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_FALSE(Ok(shown).isEnabled());
    QTest::keyClicks(&edit, typed);
    EXPECT_TRUE(Ok(shown).isEnabled());
    ui.yesNoAnswers = {true};
    QTest::mouseClick(&Ok(shown), Qt::LeftButton);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(picker.SelectedPath(), typed);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "typed"));
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0].text, "The folder:\n\nD:\n\nis invalid. Please reenter.");
}

TEST_F(FolderPickerTest, ChoosingAFolderInTheBrowserFillsTheFieldAndCancelGivesMinusOne) {
  std::filesystem::create_directories(dir / "Chosen");
  FolderPicker picker(QString(), QStringLiteral("Please choose your directory..."), Path(dir.Path()), ui);
  const int result = RunPicker(picker, [&](FolderPicker& shown) {
    shown.SelectFolder(Path(dir / "Chosen"));
    EXPECT_EQ(Edit(shown).text(), Path(std::filesystem::canonical(dir / "Chosen")));
    QTest::mouseClick(shown.findChild<QPushButton*>(QLatin1String(FolderPicker::kCancelId)), Qt::LeftButton);
  });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(modals.Unexpected(), 0);
}

}  // namespace
}  // namespace vellumor::ui
