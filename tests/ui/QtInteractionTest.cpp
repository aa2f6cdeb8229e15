// The Qt user interaction: message boxes and questions, file and folder dialogs, the completion
// window, and the progress bar and progress window while the engine reports its output.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "convert/Progress.h"
#include "support/ModalDriver.h"
#include "support/PipelineFixture.h"
#include "support/TempDir.h"
#include "ui/CompletionWindow.h"
#include "ui/FolderPicker.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/QtInteraction.h"

namespace vellumor::ui {
namespace {

using test::ModalDriver;
using test::Reject;

class QtInteractionTest : public ::testing::Test {
 protected:
  QtInteractionTest() { interaction.SetMainWindow(&window); }

  test::ScriptedInteraction scripted;
  test::RecordingShell shell;
  platform::FixedClock clock{platform::MakeLocalTime(2016, 3, 5, 14, 7, 9), 1457186829};
  MainWindow window{scripted, clock, shell};
  QtInteraction interaction;
  ModalDriver modals;
  test::TempDir dir;
};

// Types the path into the dialog's name field and accepts, as a user does. selectFile() leaves
// the field alone while it has the keyboard focus, which it gets when the window system
// activates the dialog: sooner or later, depending on the machine's load.
void TypeAndAccept(QFileDialog& dialog, const QString& path) {
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setFocus();
  name->setText(path);
  static_cast<QDialog&>(dialog).accept();
}

struct BoxSeen {
  QString caption;
  QString text;
  QMessageBox::Icon icon{QMessageBox::NoIcon};
  bool owned{false};
};

ModalDriver::Action Inspect(BoxSeen& seen, QMessageBox::StandardButton answer) {
  return [&seen, answer](QWidget& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->icon(), box->parentWidget() != nullptr};
    box->button(answer)->click();
  };
}

TEST_F(QtInteractionTest, MessagesCarryTheApplicationNameAndTheirIcon) {
  BoxSeen warning;
  BoxSeen plain;
  BoxSeen system;
  modals.Next(Inspect(warning, QMessageBox::Ok));
  interaction.ShowMessage("Error!, no temp postscript file", platform::MessageStyle::Application);
  modals.Next(Inspect(plain, QMessageBox::Ok));
  interaction.ShowMessage("Fatal", platform::MessageStyle::ApplicationNoIcon);
  modals.Next(Inspect(system, QMessageBox::Ok));
  interaction.ShowMessage("Unable to open DLL Updater.dll", platform::MessageStyle::System);

  EXPECT_EQ(warning.caption, QStringLiteral("Vellumor"));
  EXPECT_EQ(warning.text, QStringLiteral("Error!, no temp postscript file"));
  EXPECT_EQ(warning.icon, QMessageBox::Warning);
  EXPECT_TRUE(warning.owned);
  EXPECT_EQ(plain.caption, QStringLiteral("Vellumor"));
  EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
  EXPECT_NE(system.caption, QStringLiteral("Vellumor"));
  EXPECT_FALSE(system.owned) << "a system message box has no owner";
  EXPECT_EQ(modals.Unexpected(), 0);
}

TEST_F(QtInteractionTest, QuestionsAreYesNoWithTheQuestionIconAndOnlyYesCounts) {
  BoxSeen question;
  modals.Next(Inspect(question, QMessageBox::Yes));
  EXPECT_TRUE(interaction.AskYesNo("Do you want to overwrite existing file?"));
  EXPECT_EQ(question.icon, QMessageBox::Question);
  EXPECT_EQ(question.caption, QStringLiteral("Vellumor"));

  modals.Next(Inspect(question, QMessageBox::No));
  EXPECT_FALSE(interaction.AskYesNo("Do you want to overwrite existing file?"));
  modals.Next(Reject());
  EXPECT_FALSE(interaction.AskYesNo("Do you want to overwrite existing file?")) << "Escape is No";
  EXPECT_EQ(modals.Unexpected(), 0);
}

TEST_F(QtInteractionTest, FileDialogsFollowTheRequest) {
  platform::FileDialogRequest request;
  request.title = "Select a PDF filename to save to";
  request.filters = {{"PDF Files (*.pdf)", "*.pdf"}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "pdf";
  request.initialName = "Report.pdf";
  request.promptOverwrite = true;
  const QString typed = QString::fromStdString((dir / "Chosen").string());

  modals.Next([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->windowTitle(), QStringLiteral("Select a PDF filename to save to"));
    // Each text shows its pattern once; "*.*" takes files without a dot too.
    EXPECT_EQ(files->nameFilters(),
              (QStringList{QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(files->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(files->defaultSuffix(), QStringLiteral("pdf"));
    TypeAndAccept(*files, typed);
  });
  const std::optional<std::string> saved = interaction.ChooseSaveFile(request);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(*saved, typed.toStdString() + ".pdf") << "the default extension is added";

  modals.Next(Reject());
  EXPECT_FALSE(interaction.ChooseSaveFile(request).has_value());

  test::WriteFileBytes(dir / "settings.vsf", "Quality;Screen\r\n");
  modals.Next([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(files->nameFilters(), (QStringList{QStringLiteral("*.vsf"), QStringLiteral("All Files (*)")}));
    TypeAndAccept(*files, QString::fromStdString((dir / "settings.vsf").string()));
  });
  EXPECT_EQ(interaction.ChooseOpenFile(
                {"Open Vellumor Setup File", {{"*.vsf", "*.vsf"}, {"All Files *.*", "*.*"}}, "vsf", "", false}),
            (dir / "settings.vsf").string());

  // A program to view PDFs with has no extension; opening takes it as chosen.
  test::WriteFileBytes(dir / "viewer", "#!/bin/sh\n");
  modals.Next([&](QWidget& dialog) {
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->nameFilters(),
              (QStringList{QStringLiteral("Open PDF with (*)"), QStringLiteral("All Files (*)")}));
    TypeAndAccept(*files, QString::fromStdString((dir / "viewer").string()));
  });
  EXPECT_EQ(interaction.ChooseOpenFile(
                {"View PDF with", {{"Open PDF with (*)", "*"}, {"All Files (*.*)", "*.*"}}, "pdf", "", false}),
            (dir / "viewer").string());
  EXPECT_EQ(modals.Unexpected(), 0);
}

TEST_F(QtInteractionTest, TheFolderPickerAnswersWithTheAcceptedFolder) {
  std::filesystem::create_directories(dir / "Out");
  const std::string folder = std::filesystem::canonical(dir / "Out").string();
  modals.Next([&](QWidget& dialog) {
    auto* picker = qobject_cast<FolderPicker*>(&dialog);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Save to path..."));
    picker->findChild<QPushButton*>(QLatin1String(FolderPicker::kOkId))->click();
  });
  EXPECT_EQ(interaction.ChooseFolder("Save to path...", "Please choose your directory...", folder), folder);
  modals.Next(Reject());
  EXPECT_FALSE(interaction.ChooseFolder("Save to path...", "Please choose your directory...", folder).has_value());
}

TEST_F(QtInteractionTest, TheCompletionWindowAnswersYesNoOrSettings) {
  const auto answer = [&](const QString& button) {
    modals.Next([button](QWidget& dialog) {
      EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vellumor - PDF Output"));
      EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("1077"))->text(), QStringLiteral("File: /home/u/Report.pdf"));
      if (button.isEmpty()) {
        dialog.close();
      } else {
        dialog.findChild<QPushButton*>(button)->click();
      }
    });
    return interaction.ShowCompletion("File: /home/u/Report.pdf");
  };
  EXPECT_EQ(answer(QStringLiteral("1")), platform::kCompletionYes);
  EXPECT_EQ(answer(QStringLiteral("2")), platform::kCompletionNo);
  EXPECT_EQ(answer(QStringLiteral("1078")), platform::kCompletionSettings);
  EXPECT_EQ(answer(QString()), platform::kCompletionNo) << "the close box";
  EXPECT_EQ(modals.Unexpected(), 0);

  CompletionWindow window(QStringLiteral("File: x"));
  EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("1078"))->text(), QStringLiteral("&Settings"));
  EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("1"))->isDefault());
}

TEST_F(QtInteractionTest, TheProgressBarTakesThePlaceOfCreatePdf) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* bar = window.ControlAs<QProgressBar>(ids::kProgressBar);
  QWidget* create = window.Control(ids::kCreatePdf);
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 4);
  EXPECT_LT(bar->value(), 1) << "no position at start";

  interaction.SetProgressBarVisible(true);
  interaction.SetProgressBarPosition(3);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(create->isVisible());
  EXPECT_EQ(bar->value(), 3);
  interaction.SetProgressBarVisible(false);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(create->isVisible());
}

TEST_F(QtInteractionTest, EngineOutputCreatesTheProgressWindowThenFillsItsLines) {
  convert::JobState state;
  state.settings.AdvShowWindow = 1;
  state.OutputFileName = "Report.pdf";
  auto* bar = window.ControlAs<QProgressBar>(ids::kProgressBar);

  convert::OnProgressTick(state, interaction, "Page: 1\n");
  ProgressWindow* progress = interaction.CurrentProgressWindow();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->windowTitle(), QStringLiteral("PDF file creation progress"));
  EXPECT_FALSE(progress->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(progress->FileLine(), QString()) << "the first output only creates the window";
  EXPECT_EQ(bar->value(), 1);

  convert::OnProgressTick(state, interaction, "Loading font\nPage: 12\n");
  EXPECT_EQ(progress->FileLine(), QStringLiteral("Filename: Report.pdf"));
  EXPECT_EQ(progress->PageLine(), QStringLiteral("Pages: 12"));
  convert::OnProgressTick(state, interaction, "%%BoundingBox\n");
  EXPECT_EQ(progress->PageLine(), QStringLiteral("Pages: 12"));
  EXPECT_EQ(bar->value(), 3);

  interaction.DestroyProgressWindow();
  EXPECT_FALSE(interaction.ProgressWindowExists());
}

TEST_F(QtInteractionTest, AProgressWindowClosedBehindTheConversionsBackCountsAsGone) {
  interaction.CreateProgressWindow();
  ASSERT_TRUE(interaction.ProgressWindowExists());
  interaction.CurrentProgressWindow()->close();
  interaction.PumpMessages();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(interaction.ProgressWindowExists());
  interaction.SetProgressWindowLines("Filename: x", "Pages: 1");  // nothing to fill, no crash
}

}  // namespace
}  // namespace vellumor::ui
