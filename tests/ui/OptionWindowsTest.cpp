#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "OptionWindowTesting.h"
#include "settings/Choices.h"
#include "settings/Settings.h"
#include "support/ScriptedInteraction.h"
#include "ui/AdvancedWindow.h"
#include "ui/CustomImageWindow.h"
#include "ui/DocumentPropertiesWindow.h"
#include "ui/SecurityWindow.h"
#include "ui/model/AdvancedDialog.h"
#include "ui/model/CustomImageDialog.h"

namespace vellumor::test {
namespace {

// Runs `act` on the modal window as soon as it is open.
void WhenModal(std::function<void(QDialog&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

void ClickTreeItem(QDialog& window, const QString& text) {
  auto* tree = Find<QTreeWidget>(window, ui::AdvancedWindow::kTreeId);
  QTreeWidgetItem* item = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
  ASSERT_NE(item, nullptr);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

class OptionWindowsTest : public ::testing::Test {
 protected:
  settings::Settings record{settings::DefaultSettings("/home/ann")};
  ScriptedInteraction interaction;
};

TEST_F(OptionWindowsTest, EachWindowReportsHowItWasLeft) {
  ui::SecurityWindow security{nullptr, record};
  WhenModal([](QDialog& window) { Click(window, ui::kSaveExitId); });
  EXPECT_TRUE(security.Open());
  ui::DocumentPropertiesWindow document{nullptr, record};
  WhenModal([](QDialog& window) { Click(window, ui::kCancelId); });
  EXPECT_FALSE(document.Open());
  ui::CustomImageWindow custom{nullptr, record, interaction};
  WhenModal([](QDialog& window) { QTest::keyClick(&window, Qt::Key_Escape); });
  EXPECT_FALSE(custom.Open());
  ui::AdvancedWindow advanced{nullptr, record, interaction};
  WhenModal([](QDialog& window) { window.close(); });
  EXPECT_FALSE(advanced.Open());
}

// The main window runs its option windows as children: each keeps one window of its own, and
// reopens on the page last left with "Save/Exit".
TEST_F(OptionWindowsTest, ChildWindowsBelongToTheirOwnerAndRememberTheirPage) {
  ui::SecurityWindow owner{nullptr, record};
  dialog::AdvancedDialog advanced{record, interaction};
  WhenModal([](QDialog& window) {
    ClickTreeItem(window, "Updates");
    Click(window, ui::kSaveExitId);
  });
  EXPECT_EQ(owner.RunModal(advanced), dialog::kOkId);
  WhenModal([&advanced](QDialog& window) {
    EXPECT_EQ(advanced.CurrentPage(), "Updates");
    Click(window, ui::kCancelId);
  });
  EXPECT_EQ(owner.RunModal(advanced), dialog::kCancelId);
  EXPECT_EQ(owner.findChildren<ui::DialogWindow*>().size(), 1);

  dialog::CustomImageDialog custom{record, interaction};
  WhenModal([](QDialog& window) {
    auto* list = Find<QListWidget>(window, ui::CustomImageWindow::kKindListId);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    Click(window, ui::kSaveExitId);
  });
  owner.RunModal(custom);
  WhenModal([&custom](QDialog& window) {
    EXPECT_EQ(custom.CurrentKind(), "Mono");
    Click(window, ui::kCancelId);
  });
  owner.RunModal(custom);

  // Another window's rules get a window of their own.
  settings::Settings other = record;
  dialog::AdvancedDialog otherAdvanced{other, interaction};
  WhenModal([&otherAdvanced](QDialog& window) {
    EXPECT_EQ(otherAdvanced.CurrentPage(), "Saving PDF");
    Click(window, ui::kCancelId);
  });
  owner.RunModal(otherAdvanced);
  EXPECT_EQ(owner.findChildren<ui::DialogWindow*>().size(), 3);
}

// A box offers exactly the core's list of its choice, in the list's order (a sorted box in
// alphabetical order), so that every text a user picks is one the conversion recognises.
TEST_F(OptionWindowsTest, EveryListIsTheCoresListOfItsChoice) {
  ui::AdvancedWindow advanced{nullptr, record, interaction};
  ui::SecurityWindow security{nullptr, record};
  ui::CustomImageWindow custom{nullptr, record, interaction};
  const auto list = [](std::span<const std::string_view> choices, bool sorted = false) {
    QStringList texts;
    for (const std::string_view choice : choices) {
      texts.append(QString::fromUtf8(choice.data(), static_cast<qsizetype>(choice.size())));
    }
    if (sorted) {
      texts.sort(Qt::CaseInsensitive);
    }
    return texts;
  };
  const struct {
    const QWidget& window;
    int id;
    QStringList entries;
  } boxes[] = {
      {advanced, 1070, list(settings::kExistingPdfChoices)},
      {advanced, 1038, list(settings::kPdfVersions, true)},
      {advanced, 1043, list(settings::kZoomLevels)},
      {advanced, 1047, list(settings::kUpdateIntervals)},
      {security, 1026, list(settings::kPrintingPermissions, true)},
      {security, 1027, list(settings::kChangesPermissions, true)},
      {custom, 1052, list(settings::kDownsamplings)},
      {custom, 1062, list(settings::kDownsamplings)},
      {custom, 1063, list(settings::kDownsamplings)},
      {custom, 1060, list(settings::kMonoCompressions)},
  };
  for (const auto& [window, id, entries] : boxes) {
    EXPECT_EQ(Entries(Find<QComboBox>(window, id)), entries) << "box " << id;
  }
}

}  // namespace
}  // namespace vellumor::test
