// The main window's commands beyond the controls: the setup-file menu, the option windows it
// opens and what it refreshes after them, and the About window.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "settings/QualityProfile.h"
#include "support/MainWindowFixture.h"
#include "ui/DialogWindow.h"
#include "ui/HyperlinkLabel.h"
#include "ui/model/AboutDialog.h"

namespace vellumor::test {
namespace {

namespace ids = ui::ids;
using settings::QualityProfile;

QString LabelText(const ui::MainWindow& window, int id) {
  return window.ControlAs<QLabel>(id)->text();
}

// Runs the test in its own folder: "Default.vsf" is a name relative to the current directory.
class CurrentDirectory final {
 public:
  explicit CurrentDirectory(const std::filesystem::path& folder) : previous_{std::filesystem::current_path()} {
    std::filesystem::current_path(folder);
  }
  ~CurrentDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

class MainWindowCommandsTest : public MainWindowFixture {
 protected:
  // Without the sibling product's naming, no setup file is read at start.
  MainWindowCommandsTest() { StoreSetting("AdvSheafwrightFilename", "0"); }
};

TEST_F(MainWindowCommandsTest, SaveSettingsWritesTheCurrentSetupFileAndSaveAsRenamesIt) {
  const CurrentDirectory here{dir.Path()};
  Start();
  Click(ids::kScreen);
  window->MenuCommand(ids::kMenuSaveSettings)->trigger();
  EXPECT_NE(ReadFileBytes(dir / "Default.vsf").find("Quality;Smallest"), std::string::npos);
  EXPECT_TRUE(ui.messages.empty()) << "saving to Default.vsf is silent";

  const std::string mine = (dir / "mine.vsf").string();
  ui.fileAnswers = {mine};
  window->MenuCommand(ids::kMenuSaveSettingsAs)->trigger();
  ASSERT_EQ(ui.fileDialogs.size(), 1U);
  const platform::FileDialogRequest& request = ui.fileDialogs[0];
  EXPECT_EQ(request.title, "Save Vellumor Setup File");
  EXPECT_EQ(request.filters,
            (std::vector<std::pair<std::string, std::string>>{{"*.vsf", "*.vsf"}, {"All Files *.*", "*.*"}}));
  EXPECT_EQ(request.defaultExtension, "vsf");
  EXPECT_TRUE(std::filesystem::exists(mine));
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Saved to file: " + mine});

  std::filesystem::remove(mine);
  window->MenuCommand(ids::kMenuSaveSettings)->trigger();
  EXPECT_TRUE(std::filesystem::exists(mine)) << "the named file is the current one now";
  EXPECT_EQ(ui.messages.size(), 2U);
}

TEST_F(MainWindowCommandsTest, SaveSettingsAsCancelledChangesNothing) {
  const CurrentDirectory here{dir.Path()};
  Start();
  window->MenuCommand(ids::kMenuSaveSettingsAs)->trigger();
  EXPECT_EQ(controller->State().CurrentSetupFile, std::filesystem::path("Default.vsf"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowCommandsTest, LoadSettingsShowsTheFileInEveryControl) {
  Start();
  const std::filesystem::path file = dir / "screen.vsf";
  WriteFileBytes(file,
                 "Quality;Smallest size files, images suitable for on screen viewing only.\r\n"
                 "SaveAs;Ask when creating PDF (manual)\r\nAfterCreation;Open PDF\r\n"
                 "DocAlwaysUse;1\r\nDocTitle;Annual Report\r\n");

  window->MenuCommand(ids::kMenuLoadSettings)->trigger();  // cancelled
  EXPECT_EQ(LabelText(*window, ids::kQualityText),
            QString::fromUtf8(settings::QualityProfileText(QualityProfile::Print).data()));

  ui.fileAnswers = {file.string()};
  window->MenuCommand(ids::kMenuLoadSettings)->trigger();
  ASSERT_EQ(ui.fileDialogs.size(), 2U);
  EXPECT_EQ(ui.fileDialogs[1].title, "Open Vellumor Setup File");
  EXPECT_EQ(LabelText(*window, ids::kQualityText),
            QString::fromUtf8(settings::QualityProfileText(QualityProfile::Screen).data()));
  EXPECT_EQ(window->ControlAs<QComboBox>(ids::kSaveAs)->currentText(),
            QStringLiteral("Ask when creating PDF (manual)"));
  EXPECT_EQ(window->ControlAs<QComboBox>(ids::kAfterCreation)->currentText(), QStringLiteral("Open PDF"));
  EXPECT_NE(LabelText(*window, ids::kDocumentSummary), QStringLiteral("None"));
  EXPECT_EQ(controller->State().CurrentSetupFile, file);
}

TEST_F(MainWindowCommandsTest, TheSummaryIsRefreshedAfterTheSecurityWindowWhateverItReturns) {
  Start();
  controller->State().settings.SecAlwaysUse = 1;
  controller->State().settings.SecOpenPassword = "secret";
  controller->State().settings.SecPermPassword = "owner";
  modals.Next(Reject());
  Click(ids::kSecurityUpdate);
  EXPECT_EQ(modals.Seen().size(), 1U);
  EXPECT_EQ(LabelText(*window, ids::kSecuritySummary), QStringLiteral("Password req. to open & set permissions"));

  controller->State().settings.DocAlwaysUse = 1;
  controller->State().settings.DocAuthor = "Ann";
  modals.Next(Reject());
  Click(ids::kDocumentUpdate);
  EXPECT_EQ(LabelText(*window, ids::kDocumentSummary),
            QString::fromStdString(settings::DocumentSummaryText(controller->State().settings)));
  EXPECT_EQ(modals.Unexpected(), 0);
}

TEST_F(MainWindowCommandsTest, CustomSelectsItsProfileBeforeItsWindowOpens) {
  Start();
  QString shownWhileOpen;
  modals.Next([&](QWidget& dialog) {
    shownWhileOpen = LabelText(*window, ids::kQualityText);
    Reject()(dialog);
  });
  Click(ids::kCustom);
  EXPECT_EQ(shownWhileOpen, QString::fromUtf8(settings::QualityProfileText(QualityProfile::Custom).data()));
  modals.Next(Reject());
  window->MenuCommand(ids::kMenuCustom)->trigger();
  EXPECT_EQ(modals.Seen().size(), 2U);
  EXPECT_EQ(modals.Unexpected(), 0);
}

TEST_F(MainWindowCommandsTest, TheAdvancedWindowDoesNotApplyTheNamingRulesTwice) {
  StoreSetting("SaveAs", settings::entries::kAskManual);
  StoreSetting("AdvPrefixFilename", "[YYYY]-");
  Start(PagesJob(1, "Page", "Report"));
  auto* name = ControlAs<QLineEdit>(ids::kFileName);
  ASSERT_EQ(name->text(), QStringLiteral("2016-Report.pdf"));
  modals.Next(Reject());
  Click(ids::kAdvanced);
  EXPECT_EQ(modals.Seen().size(), 1U);
  EXPECT_EQ(name->text(), QStringLiteral("2016-Report.pdf"));
}

TEST_F(MainWindowCommandsTest, TheAboutWindowShowsTheVersionAndItsTwoLinks) {
  Start();
  modals.Next([](QWidget& dialog) {
    auto* about = qobject_cast<ui::DialogWindow*>(&dialog);
    ASSERT_NE(about, nullptr);
    auto* webPage = ui::FindControl<ui::HyperlinkLabel>(about, dialog::AboutDialog::kWebPageLinkId);
    auto* mail = ui::FindControl<ui::HyperlinkLabel>(about, dialog::AboutDialog::kMailLinkId);
    ASSERT_NE(webPage, nullptr);
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Vellumor"));
    std::vector<QString> texts;
    for (QLabel* label : about->findChildren<QLabel*>()) {
      texts.push_back(label->text());
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), QStringLiteral("Vellumor Version 1.06")), texts.end());
    EXPECT_TRUE(webPage->Address().startsWith(QStringLiteral("http")));
    EXPECT_EQ(mail->Address(), QStringLiteral("mailto:support@vellumor.example"));
    EXPECT_TRUE(webPage->font().underline());
    EXPECT_TRUE(about->HasBackground());
    Press(QStringLiteral("OK"))(dialog);
  });
  window->ShowAbout();
  EXPECT_EQ(modals.Seen(), std::vector<QString>{QStringLiteral("About Vellumor")});
  EXPECT_EQ(modals.Unexpected(), 0);
}

}  // namespace
}  // namespace vellumor::test
