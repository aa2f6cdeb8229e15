// The option windows: every page of Advanced, Add Security, Document Properties and every kind
// of Custom.

#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include "screenshots/Screenshots.h"
#include "settings/Settings.h"
#include "ui/AdvancedWindow.h"
#include "ui/CustomImageWindow.h"
#include "ui/DocumentPropertiesWindow.h"
#include "ui/SecurityWindow.h"

namespace vellumor::test::screenshots {
namespace {

settings::Settings SampleRecord(const Shots& shots) {
  settings::Settings record = settings::DefaultSettings(shots.dir.Path().string());
  record.AdvPrefixFilename = "[YYYY]-[MM]-[DD] ";
  record.AdvOpenDefaultPDF = 0;
  record.AdvOpenWith = "/usr/bin/evince";
  record.SecOpenPassword = "secret";
  record.SecPermPrinting = "Low resolution";
  record.SecPermCopy = 1;
  record.DocTitle = "Quarterly Report";
  record.DocAuthor = "Ann Example";
  record.DocKeywords = "figures, quarter";
  record.MonoDownSample = "Subsample";
  return record;
}

const bool registeredAdvanced = Register("advanced", [](Shots& shots) {
  settings::Settings record = SampleRecord(shots);
  ui::AdvancedWindow window(nullptr, record, shots.ui);
  window.Prepare();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    return;
  }
  auto* tree = window.findChild<QTreeWidget*>(ui::ControlName(ui::AdvancedWindow::kTreeId));
  for (const char* page : {"Saving PDF", "PDF settings", "Initial view", "Open with", "Sheafwright", "Updates"}) {
    QTreeWidgetItem* item = tree->findItems(page, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    shots.Save(window, QStringLiteral("advanced-%1.png").arg(QString::fromUtf8(page).toLower().replace(' ', '-')));
    window.show();
  }
});

const bool registeredSecurityAndDocument = Register("security, document properties", [](Shots& shots) {
  settings::Settings record = SampleRecord(shots);
  ui::SecurityWindow security(nullptr, record);
  security.Prepare();
  shots.Save(security, QStringLiteral("security.png"));
  ui::DocumentPropertiesWindow document(nullptr, record);
  document.Prepare();
  shots.Save(document, QStringLiteral("document-properties.png"));
});

const bool registeredCustom = Register("custom", [](Shots& shots) {
  settings::Settings record = SampleRecord(shots);
  ui::CustomImageWindow window(nullptr, record, shots.ui);
  window.Prepare();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    return;
  }
  auto* list = window.findChild<QListWidget*>(ui::ControlName(ui::CustomImageWindow::kKindListId));
  for (int row = 0; row < list->count(); ++row) {
    QListWidgetItem* item = list->item(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    shots.Save(window, QStringLiteral("custom-%1.png").arg(item->text().toLower()));
    window.show();
  }
});

}  // namespace
}  // namespace vellumor::test::screenshots
