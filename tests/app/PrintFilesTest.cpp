// Print-files mode of the program: which command-line entries are taken as files, and the built
// program run by a user with file arguments against a scheduler of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ArgumentTable.h"
#include "app/MainController.h"
#include "printer/support/PrinterWorld.h"
#include "support/PdfFacts.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::SizeIs;

std::vector<printer::FileArgument> FilesOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"/usr/bin/vellumor"};
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  return app::FileArguments(
      app::SplitCommandLine(app::CommandLineFromArguments(static_cast<int>(argv.size()), argv.data())), 1);
}

MATCHER_P2(IsFile, path, cut, "") {
  return arg.path == path && arg.cut == cut;
}

TEST(FileArgumentsTest, EntriesBecomeCleanFileNames) {
  EXPECT_THAT(
      FilesOf({"my letter.txt", "", " ", "b.pdf"}),
      ElementsAre(IsFile("my letter.txt", false), IsFile("", false), IsFile("", false), IsFile("b.pdf", false)));
  // Written by hand, without quotes: a blank separates.
  EXPECT_THAT(app::FileArguments(app::SplitCommandLine("vellumor a.txt  b.txt"), 1),
              ElementsAre(IsFile("a.txt", false), IsFile("", false), IsFile("b.txt", false)));
}

TEST(FileArgumentsTest, OnlyEntriesCutShortAreMarked) {
  // Each argument arrives as "name" plus its separating blank, at most 254 characters kept.
  const std::string fits(251, 'a');        // the blank still fits
  const std::string losesBlank(252, 'b');  // only the blank is lost: the name is whole
  const std::string losesQuote(253, 'c');  // the closing quote is lost: the name may be cut
  const std::string longer(300, 'd');
  EXPECT_THAT(FilesOf({fits, losesBlank, losesQuote, longer, "last.txt"}),
              ElementsAre(IsFile(fits, false), IsFile(losesBlank, false), IsFile(losesQuote, true),
                          IsFile(longer.substr(0, 253), true), IsFile("last.txt", false)));
  EXPECT_THAT(FilesOf({fits}), ElementsAre(IsFile(fits, false)));
  // Cut before a character that did not fit whole, a byte or two short of the limit.
  std::string accents;
  for (int i = 0; i < 150; ++i) {
    accents += "\xC3\xA9";
  }
  EXPECT_THAT(FilesOf({accents}), ElementsAre(IsFile(accents.substr(0, 252), true)));
  // Written by hand: a whole last name near the limit stays whole beside a cut one.
  const std::string nearLimit(252, 'e');
  EXPECT_THAT(app::FileArguments(app::SplitCommandLine("vellumor " + longer + " " + nearLimit), 1),
              ElementsAre(IsFile(longer.substr(0, 254), true), IsFile(nearLimit, false)));
}

// The built program, run by the test user with file arguments.
class PrintFilesProcessTest : public ::testing::Test {
 protected:
  virtual bool InstallsProductPrinter() const { return true; }
  void SetUp() override {
    std::string error;
    bool unavailable = false;
    world_ = PrinterWorld::Make(InstallsProductPrinter(), error, unavailable);
    if (unavailable) {
      GTEST_SKIP() << error;
    }
    ASSERT_NE(world_, nullptr) << error;
    ASSERT_EQ(world_->RunAsUser({"lpoptions", "-d", "Office"}).exitCode, 0);
    world_->TextFile("letter.txt", 3);
    world_->PdfFile("slides.pdf", 2);
  }
  ProcessResult PrintFiles(std::vector<std::string> files) const {
    files.insert(files.begin(), world_->program.string());
    return world_->RunAsUser(files);
  }
  void ExpectJobsDone() const { ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail(); }

  std::unique_ptr<PrinterWorld> world_;
};

TEST_F(PrintFilesProcessTest, FilesGoThroughTheProductPrinterAndTheDefaultComesBack) {
  const ProcessResult run = PrintFiles({"letter.txt", (world_->user->Home() / "slides.pdf").string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("letter.pdf", 3), Pair("slides.pdf", 2))) << world_->cups->LogTail();
  EXPECT_THAT(world_->cups->Jobs("Office"), IsEmpty());
  EXPECT_EQ(world_->UserDefault(), "Office");
}

TEST_F(PrintFilesProcessTest, ADefaultOnTheProductPortIsUsedAsItIs) {
  world_->cups->Run({"lpadmin", "-p", "Archive", "-E", "-v", "vellumor:/", "-m", "drv:///sample.drv/generic.ppd"});
  ASSERT_EQ(world_->RunAsUser({"lpoptions", "-d", "Archive"}).exitCode, 0);
  const std::string before = ReadFileBytes(world_->user->Home() / ".cups/lpoptions");

  const ProcessResult run = PrintFiles({"letter.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectJobsDone();
  EXPECT_THAT(world_->cups->Jobs("Archive", true), SizeIs(1));
  EXPECT_THAT(world_->cups->Jobs("Vellumor"), IsEmpty());
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("letter.pdf", 3)));
  EXPECT_EQ(ReadFileBytes(world_->user->Home() / ".cups/lpoptions"), before);
}

TEST_F(PrintFilesProcessTest, BadArgumentsAreReportedAndTheOthersPrinted) {
  const ProcessResult run = PrintFiles({"missing.txt", "", "slides.pdf"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vellumor: Cannot print \"missing.txt\": the file does not exist.\n");
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("slides.pdf", 2)));
  EXPECT_EQ(world_->UserDefault(), "Office");
}

TEST_F(PrintFilesProcessTest, ThePdfOfAPrintedPdfNeverReplacesIt) {
  // A PDF on the desktop, printed by a user whose PDFs go to the desktop under their title.
  const std::filesystem::path desktop = world_->user->Home() / "Desktop";
  std::filesystem::create_directory(desktop);
  world_->user->Own(desktop);
  world_->user->SetSetting("SaveAs", "Save to users Desktop (automatic)");
  const std::filesystem::path manual = world_->PdfFile("Desktop/manual.pdf", 2);
  const std::string before = ReadFileBytes(manual);

  const ProcessResult run = PrintFiles({manual.string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectJobsDone();
  EXPECT_EQ(ReadFileBytes(manual), before);
  EXPECT_EQ(InspectPdf(desktop / "manual (2).pdf").pages, 2) << world_->cups->LogTail();
  EXPECT_THAT(world_->cups->Log(), HasSubstr(manual.string() + " is the file being printed; the PDF is saved as " +
                                             (desktop / "manual (2).pdf").string() + " instead"));
}

class PrintFilesWithoutPrinterTest : public PrintFilesProcessTest {
 protected:
  bool InstallsProductPrinter() const override { return false; }
};

TEST_F(PrintFilesWithoutPrinterTest, NothingIsPrintedElsewhere) {
  const ProcessResult run = PrintFiles({"letter.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("\"Vellumor\" is not installed"));
  ExpectJobsDone();
  EXPECT_THAT(world_->cups->Jobs("Office"), IsEmpty());
  EXPECT_EQ(world_->UserDefault(), "Office");
}

}  // namespace
}  // namespace vellumor::test
