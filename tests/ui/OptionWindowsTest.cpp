#include "ui/OptionWindows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "OptionWindowTesting.h"
#include "settings/Choices.h"
#include "settings/Settings.h"
#include "support/ScriptedInteraction.h"
#include "ui/AdvancedWindow.h"
#include "ui/CustomImageWindow.h"
#include "ui/SecurityWindow.h"

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
  QWidget mainWindow;
};

TEST_F(OptionWindowsTest, EachWindowReportsHowItWasLeft) {
  WhenModal([](QDialog& window) { Click(window, ui::kSaveExitId); });
  EXPECT_TRUE(ui::ShowSecurityWindow(&mainWindow, record));
  WhenModal([](QDialog& window) { Click(window, ui::kCancelId); });
  EXPECT_FALSE(ui::ShowDocumentPropertiesWindow(&mainWindow, record));
  WhenModal([](QDialog& window) { QTest::keyClick(&window, Qt::Key_Escape); });
  EXPECT_FALSE(ui::ShowCustomImageWindow(&mainWindow, record, interaction));
  WhenModal([](QDialog& window) { window.close(); });
  EXPECT_FALSE(ui::ShowAdvancedWindow(&mainWindow, record, interaction));
}

TEST_F(OptionWindowsTest, WindowsBelongToTheMainWindowAndRememberTheirPage) {
  WhenModal([](QDialog& window) {
    ClickTreeItem(window, "Updates");
    Click(window, ui::kSaveExitId);
  });
  EXPECT_TRUE(ui::ShowAdvancedWindow(&mainWindow, record, interaction));
  WhenModal([](QDialog& window) {
    EXPECT_EQ(static_cast<ui::AdvancedWindow&>(window).CurrentPage(), "Updates");
    Click(window, ui::kCancelId);
  });
  ui::ShowAdvancedWindow(&mainWindow, record, interaction);
  EXPECT_EQ(mainWindow.findChildren<ui::AdvancedWindow*>().size(), 1);

  WhenModal([](QDialog& window) {
    auto* list = Find<QListWidget>(window, ui::CustomImageWindow::kKindListId);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    Click(window, ui::kSaveExitId);
  });
  ui::ShowCustomImageWindow(&mainWindow, record, interaction);
  WhenModal([](QDialog& window) {
    EXPECT_EQ(static_cast<ui::CustomImageWindow&>(window).CurrentKind(), "Mono");
    Click(window, ui::kCancelId);
  });
  ui::ShowCustomImageWindow(&mainWindow, record, interaction);

  // Another record gets a window of its own.
  settings::Settings other = record;
  WhenModal([](QDialog& window) {
    EXPECT_EQ(static_cast<ui::AdvancedWindow&>(window).CurrentPage(), "Saving PDF");
    Click(window, ui::kCancelId);
  });
  ui::ShowAdvancedWindow(&mainWindow, other, interaction);
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
