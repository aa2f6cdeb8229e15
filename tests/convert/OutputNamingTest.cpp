// Where the PDF goes: save modes, the desktop, the folder picker and the naming rules around the
// Advanced window.

#include "convert/OutputNaming.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "convert/Conversion.h"
#include "platform/FileIdentity.h"
#include "support/PdfFacts.h"
#include "support/PipelineFixture.h"

namespace vellumor::convert {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class OutputNamingTest : public test::PipelineFixture {};

TEST_F(OutputNamingTest, FolderAndDesktopModes) {
  state.OutputFileName = "Re:port?.pdf";
  std::optional<OutputPath> path = ResolveOutputPath(state, *services);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->path, outputFolder / "Report.pdf");
  EXPECT_EQ(state.OutputFileName, "Report.pdf");
  EXPECT_FALSE(path->fromSaveDialog);

  state.settings.SaveAs = std::string{settings::entries::kSaveToDesktopAuto};
  path = ResolveOutputPath(state, *services);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->path, desktop / "Report.pdf");
  EXPECT_THAT(ui.fileDialogs, IsEmpty());
}

TEST_F(OutputNamingTest, DesktopOfTheServiceAccountNamesTheUser) {
  services->desktopFolder = dir / "LocalService" / "Desktop";
  std::filesystem::create_directory(dir / "tester");
  state.settings.SaveAs = std::string{settings::entries::kSaveToDesktopAuto};
  const std::optional<OutputPath> path = ResolveOutputPath(state, *services);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->path, dir / "tester" / "Desktop" / "Report.pdf");
}

TEST_F(OutputNamingTest, AMissingDesktopIsMadeOrTheConversionFails) {
  state.settings.SaveAs = std::string{settings::entries::kSaveToDesktopAuto};
  std::filesystem::remove(desktop);
  std::optional<OutputPath> path = ResolveOutputPath(state, *services);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->path, desktop / "Report.pdf");
  EXPECT_TRUE(std::filesystem::is_directory(desktop));

  // A file where the desktop folder should be: no PDF anywhere, and the user is told why.
  std::filesystem::remove(desktop);
  test::WriteFileBytes(desktop, "not a folder");
  UseJob(test::PagesJob(1));
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Failed);
  EXPECT_THAT(ui.MessageTexts(),
              ElementsAre("Error!, the PDF could not be created\n\nThe desktop folder " + desktop.string() +
                          " does not exist and cannot be created (" + desktop.string() + ": Not a directory)."));
  EXPECT_EQ(test::ReadFileBytes(desktop), "not a folder");
}

TEST_F(OutputNamingTest, ThePdfNeverReplacesAFileBeingPrinted) {
  const std::filesystem::path printed = outputFolder / "Report.pdf";
  test::WriteFileBytes(printed, "%PDF- the document being printed");
  test::WriteFileBytes(outputFolder / "Other.pdf", "%PDF- another document");
  std::filesystem::create_symlink(printed, outputFolder / "Alias.pdf");
  state.FilesBeingPrinted = {{1, 2}, *platform::IdentityOf(printed)};
  ui.fileAnswers = {(outputFolder / "Report.pdf").string(), (outputFolder / "Other.pdf").string()};
  const struct {
    std::string_view saveAs;
    std::string name;
    std::filesystem::path expected;
  } cases[] = {
      {settings::entries::kFolderAuto, "Report.pdf", outputFolder / "Report (2).pdf"},
      {settings::entries::kFolderAuto, "Alias.pdf", outputFolder / "Alias (2).pdf"},
      {settings::entries::kFolderAuto, "Other.pdf", outputFolder / "Other.pdf"},
      {settings::entries::kAskAuto, "Report.pdf", outputFolder / "Report (2).pdf"},
      {settings::entries::kAskAuto, "Report.pdf", outputFolder / "Other.pdf"},
  };
  for (const auto& [saveAs, name, expected] : cases) {
    state.settings.SaveAs = std::string{saveAs};
    state.OutputFileName = name;
    const std::optional<OutputPath> path = ResolveOutputPath(state, *services);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->path, expected);
    EXPECT_EQ(state.OutputFileName, expected.filename());
  }

  // Taken names are skipped; the new PDF holds the job alone, appended to nothing, and the
  // document being printed keeps every byte.
  std::filesystem::copy_file(outputFolder / "Other.pdf", outputFolder / "Report (2).pdf");
  UseJob(test::PagesJob(2));
  state.settings.SaveAs = std::string{settings::entries::kFolderAuto};
  for (const std::string_view mode : {settings::entries::kOverwrite, settings::entries::kAppendToExisting}) {
    state.settings.AdvAppend = std::string{mode};
    state.OutputFileName = "Report.pdf";
    const ConversionOutcome outcome = CreatePdf(state, *services);
    ASSERT_EQ(outcome.result, ConversionResult::Written) << mode;
    EXPECT_EQ(outcome.pdf, outputFolder / "Report (3).pdf");
    EXPECT_EQ(test::InspectPdf(outcome.pdf).pages, 2);
    std::filesystem::remove(outcome.pdf);
  }
  EXPECT_EQ(test::ReadFileBytes(printed), "%PDF- the document being printed");
  EXPECT_EQ(test::ReadFileBytes(outputFolder / "Report (2).pdf"), "%PDF- another document");
}

TEST_F(OutputNamingTest, EmptyFolderFallsBackToTheSaveDialog) {
  state.settings.SaveToPath = "";
  ui.fileAnswers = {std::nullopt};
  EXPECT_FALSE(ResolveOutputPath(state, *services));
  ASSERT_EQ(ui.fileDialogs.size(), 1u);
  const platform::FileDialogRequest& dialog = ui.fileDialogs[0];
  EXPECT_EQ(dialog.title, "Select a PDF filename to save to");
  EXPECT_EQ(dialog.defaultExtension, "pdf");
  EXPECT_EQ(dialog.initialName, "Report.pdf");
  EXPECT_FALSE(dialog.promptOverwrite);
  EXPECT_EQ(dialog.filters.front().first, "PDF Files (*.pdf)");
}

TEST_F(OutputNamingTest, ANameTypedWithoutExtensionIsUsedAsTyped) {
  state.OutputFileName = "Minutes";
  const std::optional<OutputPath> path = ResolveOutputPath(state, *services);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->path, outputFolder / "Minutes");
}

TEST_F(OutputNamingTest, ChoosingAFolderMode) {
  ui.folderAnswers = {"/data/pdf", std::nullopt};
  ChooseSaveFolder(state, settings::entries::kFolderManual, ui);
  EXPECT_EQ(state.settings.SaveAs, settings::entries::kFolderManual);
  EXPECT_EQ(state.settings.SaveToPath, "/data/pdf");
  EXPECT_THAT(ui.folderPrompts, ElementsAre("Save to path...|Please choose your directory..."));

  ChooseSaveFolder(state, settings::entries::kFolderAuto, ui);
  EXPECT_EQ(state.settings.SaveAs, settings::entries::kAskAuto);
  EXPECT_EQ(state.settings.SaveToPath, "/data/pdf");

  ChooseSaveFolder(state, settings::entries::kAskManual, ui);
  EXPECT_EQ(state.settings.SaveAs, settings::entries::kAskManual);
  EXPECT_EQ(ui.folderPrompts.size(), 2u);
}

TEST_F(OutputNamingTest, NamingRules) {
  state.OutputFileName = "Report.pdf";
  state.settings.AdvPostfixFilename = " [hh].[mm]";
  ApplyNamingRules(state, clock);
  EXPECT_EQ(state.OutputFileName, "Report 14.07.pdf");

  state.OutputFileName = "Report.pdf";
  state.settings.AdvPostfixFilename = "";
  state.settings.AdvPrefixFilename = "A/B:";
  ApplyNamingRules(state, clock);
  EXPECT_EQ(state.OutputFileName, "ABReport.pdf");

  // A fixed name keeps its tokens unless a prefix or postfix is set.
  state.settings.AdvPrefixFilename = "";
  state.settings.AdvFixedFilename = "Scan [YYYY].pdf";
  ApplyNamingRules(state, clock);
  EXPECT_EQ(state.OutputFileName, "Scan [YYYY].pdf");
  state.settings.AdvPrefixFilename = "_";
  ApplyNamingRules(state, clock);
  EXPECT_EQ(state.OutputFileName, "_Scan 2016.pdf");
  EXPECT_EQ(state.BaseFileName, "Scan [YYYY].pdf");
}

TEST_F(OutputNamingTest, RulesAreAppliedAgainAroundTheAdvancedWindow) {
  state.OutputFileName = "Report.pdf";
  state.settings.AdvPrefixFilename = "[YYYY] ";
  ApplyNamingRules(state, clock);
  ASSERT_EQ(state.OutputFileName, "2016 Report.pdf");

  ReapplyNamingRulesBefore(state);
  EXPECT_EQ(state.OutputFileName, "Report.pdf");
  state.settings.AdvPrefixFilename = "";
  state.settings.AdvPostfixFilename = "_[DD][DEX]";
  ReapplyNamingRulesAfter(state, clock);
  EXPECT_EQ(state.OutputFileName, "Report_05th.pdf");

  state.OutputFileName = "nofile.pdf";
  ReapplyNamingRulesBefore(state);
  ReapplyNamingRulesAfter(state, clock);
  EXPECT_EQ(state.OutputFileName, "nofile.pdf");
}

TEST_F(OutputNamingTest, DocumentName) {
  state.DocumentName = "My Report.doc";
  PrepareDocumentName(state);
  EXPECT_EQ(state.DocumentName, "My Report");
  EXPECT_TRUE(state.FileNameTint);

  JobState off;
  off.settings.AdvSheafwrightFilename = 0;
  off.DocumentName = "My Report.doc";
  PrepareDocumentName(off);
  EXPECT_EQ(off.DocumentName, "");
  EXPECT_FALSE(off.FileNameTint);

  JobState dotted;
  dotted.DocumentName = ".profile";
  PrepareDocumentName(dotted);
  EXPECT_EQ(dotted.DocumentName, ".profile");
}

}  // namespace
}  // namespace vellumor::convert
