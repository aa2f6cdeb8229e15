#include "ui/DocumentPropertiesWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>

#include "OptionWindowTesting.h"
#include "settings/QualityProfile.h"
#include "settings/Settings.h"

namespace vellumor::test {
namespace {

using ui::DocumentPropertiesWindow;

constexpr int kTitle = 1031;
constexpr int kAuthor = 1032;
constexpr int kSubject = 1033;
constexpr int kKeywords = 1034;
constexpr int kAlwaysUse = 1035;

class DocumentPropertiesWindowTest : public ::testing::Test {
 protected:
  DocumentPropertiesWindowTest() {
    record.DocTitle = "Annual report";
    record.DocAuthor = "Ann";
    record.DocSubject = "Figures";
    record.DocKeywords = "money, more money";
    record.DocAlwaysUse = 1;
    OpenWindow();
  }

  void OpenWindow() {
    window.Prepare();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QString Text(int id) const { return Find<QLineEdit>(window, id)->text(); }

  settings::Settings record{settings::DefaultSettings("/home/ann")};
  DocumentPropertiesWindow window{nullptr, record};
};

TEST_F(DocumentPropertiesWindowTest, ShowsTheRecordAndSaveExitTakesTheEdits) {
  EXPECT_EQ(window.windowTitle(), "Document Properties");
  EXPECT_EQ(Text(kTitle), "Annual report");
  EXPECT_EQ(Text(kAuthor), "Ann");
  EXPECT_EQ(Text(kSubject), "Figures");
  EXPECT_EQ(Text(kKeywords), "money, more money");
  EXPECT_TRUE(Find<QCheckBox>(window, kAlwaysUse)->isChecked());

  Retype(Find<QLineEdit>(window, kTitle), "Quarterly report");
  Retype(Find<QLineEdit>(window, kAuthor), " ");
  Retype(Find<QLineEdit>(window, kSubject), "");
  QTest::mouseClick(Find<QCheckBox>(window, kAlwaysUse), Qt::LeftButton);
  Click(window, ui::kSaveExitId);

  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.DocTitle, "Quarterly report");
  EXPECT_EQ(record.DocAuthor, " ");
  EXPECT_EQ(record.DocSubject, "");
  EXPECT_EQ(record.DocKeywords, "money, more money");
  EXPECT_EQ(record.DocAlwaysUse, 0);
  EXPECT_EQ(settings::DocumentSummaryText(record), "Set Title, Author, Keywords");
}

TEST_F(DocumentPropertiesWindowTest, CancelAndEscapeKeepTheRecordAndReopeningShowsIt) {
  const settings::Settings before = record;
  Retype(Find<QLineEdit>(window, kTitle), "Unsaved title");
  Click(window, ui::kCancelId);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  EXPECT_EQ(Text(kTitle), "Annual report");
  Retype(Find<QLineEdit>(window, kKeywords), "unsaved");
  QTest::keyClick(Find<QLineEdit>(window, kKeywords), Qt::Key_Escape);
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(record, before);

  OpenWindow();
  Retype(Find<QLineEdit>(window, kKeywords), "entered");
  QTest::keyClick(Find<QLineEdit>(window, kKeywords), Qt::Key_Return);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(record.DocKeywords, "entered");
}

TEST_F(DocumentPropertiesWindowTest, ClearAllTakesEffectAtOnceEvenBeforeCancel) {
  Retype(Find<QLineEdit>(window, kTitle), "Typed, then cleared");
  Click(window, DocumentPropertiesWindow::kClearAllId);

  EXPECT_TRUE(window.isVisible());
  for (int id : {kTitle, kAuthor, kSubject, kKeywords}) {
    EXPECT_EQ(Text(id), "") << id;
  }
  EXPECT_FALSE(Find<QCheckBox>(window, kAlwaysUse)->isChecked());
  EXPECT_EQ(record.DocTitle, "");
  EXPECT_EQ(record.DocAuthor, "");
  EXPECT_EQ(record.DocSubject, "");
  EXPECT_EQ(record.DocKeywords, "");
  EXPECT_EQ(record.DocAlwaysUse, 0);

  // Whatever is typed after "Clear ALL" is dropped by Cancel; the clearing is not.
  Retype(Find<QLineEdit>(window, kAuthor), "Bob");
  Click(window, ui::kCancelId);
  EXPECT_EQ(record.DocAuthor, "");
  EXPECT_EQ(settings::DocumentSummaryText(record), "None");
}

}  // namespace
}  // namespace vellumor::test
