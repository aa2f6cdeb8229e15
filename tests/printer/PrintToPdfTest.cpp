// The whole system: the printer installed by its script into a scheduler of the test's own, files
// printed with `lp` by a user, and the PDFs found where that user's settings say.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>

#include "printer/support/PrinterWorld.h"
#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Pair;
using ::testing::SizeIs;

// Page 1 of `pdf` as poppler's pdfinfo shows it, in points: the page's /Rotate applied.
std::pair<double, double> FirstPageAsShown(const std::filesystem::path& pdf) {
  const std::string info = RunProcess({"pdfinfo", pdf.string()}).out;
  std::smatch size;
  std::smatch rotation;
  if (!std::regex_search(info, size, std::regex{"Page size: +([0-9.]+) x ([0-9.]+) pts"}) ||
      !std::regex_search(info, rotation, std::regex{"Page rot: +([0-9]+)"})) {
    return {0, 0};
  }
  const double width = std::stod(size[1]);
  const double height = std::stod(size[2]);
  const int turned = std::stoi(rotation[1]) % 180;
  return turned == 0 ? std::pair{width, height} : std::pair{height, width};
}

class PrintToPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    bool unavailable = false;
    world_ = PrinterWorld::Make(true, error, unavailable);
    if (unavailable) {
      GTEST_SKIP() << error;
    }
    ASSERT_NE(world_, nullptr) << error;
  }
  void ExpectJobsDone() const { ASSERT_TRUE(world_->cups->WaitForJobs()) << world_->cups->LogTail(); }

  std::unique_ptr<PrinterWorld> world_;
};

TEST_F(PrintToPdfTest, PrintedFilesBecomeTheUsersPdfs) {
  EXPECT_THAT(world_->cups->Run({"lpinfo", "-v"}).out, HasSubstr("file vellumor:/\n"));
  const auto text = world_->TextFile("letter.txt", 3);
  const auto pdf = world_->PdfFile("slides.pdf", 2);
  for (const auto& file : {text, pdf}) {
    const ProcessResult queued = world_->RunAsUser({"lp", "-d", "Vellumor", file.string()});
    ASSERT_EQ(queued.exitCode, 0) << queued.err;
  }
  ExpectJobsDone();
  EXPECT_THAT(world_->cups->Jobs("Vellumor", true), SizeIs(2)) << world_->cups->LogTail();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("letter.pdf", 3), Pair("slides.pdf", 2))) << world_->cups->LogTail();

  struct stat info {};
  ASSERT_EQ(::stat((world_->user->PdfFolder() / "letter.pdf").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, world_->user->Uid());
}

TEST_F(PrintToPdfTest, EveryPdfHasThePaperItWasPrintedOn) {
  // One page as an application prints it: PostScript that asks for no paper of its own.
  const std::string job =
      "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n"
      "/Helvetica findfont 10 scalefont setfont 36 36 moveto (Printed on its own paper) show showpage\n%%EOF\n";
  struct Paper {
    std::string name;
    std::vector<std::string> options;
    double width;  // points, as a PDF reader shows the page
    double height;
  };
  const std::vector<Paper> papers{{"a0", {"-o", "media=A0"}, 2383.9, 3370.4},
                                  {"arch-d", {"-o", "media=ARCHD"}, 1728, 2592},
                                  {"roll", {"-o", "media=Custom.100x2000mm"}, 283.5, 5669.3},
                                  {"landscape", {"-o", "media=A4", "-o", "landscape"}, 841.9, 595.3}};
  for (const Paper& paper : papers) {
    const std::filesystem::path file = world_->user->Home() / (paper.name + ".ps");
    WriteFileBytes(file, job);
    world_->user->Own(file);
    std::vector<std::string> command{"lp", "-d", "Vellumor"};
    command.insert(command.end(), paper.options.begin(), paper.options.end());
    command.push_back(file.string());
    const ProcessResult queued = world_->RunAsUser(command);
    ASSERT_EQ(queued.exitCode, 0) << paper.name << ": " << queued.err;
  }
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), SizeIs(papers.size())) << world_->cups->LogTail();
  for (const Paper& paper : papers) {
    const std::filesystem::path pdf = world_->user->PdfFolder() / (paper.name + ".pdf");
    const auto [width, height] = FirstPageAsShown(pdf);
    EXPECT_NEAR(width, paper.width, 1.0) << paper.name;
    EXPECT_NEAR(height, paper.height, 1.0) << paper.name;
    // Still vector: the text is there as text, and no page was turned into a picture.
    EXPECT_THAT(PdfText(pdf), HasSubstr("Printed on its own paper")) << paper.name;
    const ProcessResult images = RunProcess({"pdfimages", "-list", pdf.string()});
    EXPECT_EQ(std::count(images.out.begin(), images.out.end(), '\n'), 2) << paper.name << ":\n" << images.out;
  }
}

TEST_F(PrintToPdfTest, AFailedJobFailsAloneAndSaysWhy) {
  // Printed as root: refused, and the printer goes on with the next job.
  const auto text = world_->TextFile("memo.txt", 1);
  ASSERT_EQ(world_->cups->Run({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), IsEmpty());
  EXPECT_THAT(world_->cups->Log(), HasSubstr("jobs printed as root are refused"));
  EXPECT_THAT(world_->cups->Run({"lpstat", "-p", "Vellumor"}).out, HasSubstr("enabled"));

  ASSERT_EQ(world_->RunAsUser({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("memo.pdf", 1))) << world_->cups->LogTail();
}

TEST_F(PrintToPdfTest, NobodyPrintsInAnotherUsersName) {
  std::string error;
  const std::unique_ptr<TestUser> other = TestUser::Create(world_->cups->Folder() / "home", error);
  ASSERT_NE(other, nullptr) << error;
  const auto text = world_->TextFile("memo.txt", 1);
  // The job would be converted as the other user, into that user's home.
  const ProcessResult pretended = world_->RunAsUser({"lp", "-U", other->Name(), "-d", "Vellumor", text.string()});
  ExpectJobsDone();
  EXPECT_THAT(Sandbox::FilesIn(other->PdfFolder(), ".pdf"), IsEmpty()) << world_->cups->LogTail();
  if (pretended.exitCode == 0) {
    EXPECT_THAT(world_->cups->Run({"lpstat", "-W", "all", "-o", "Vellumor"}).out, Not(HasSubstr(other->Name())));
  } else {
    EXPECT_THAT(pretended.err, HasSubstr("Unauthorized"));
  }
  // Printed in the user's own name, the job still converts.
  ASSERT_EQ(world_->RunAsUser({"lp", "-d", "Vellumor", text.string()}).exitCode, 0);
  ExpectJobsDone();
  EXPECT_THAT(world_->Pdfs(), ElementsAre(Pair("memo.pdf", 1))) << world_->cups->LogTail();
}

TEST_F(PrintToPdfTest, TheRemoveScriptTakesThePrinterAway) {
  ProcessOptions options = world_->cups->Options();
  options.setEnvironment["CUPS_BACKEND_DIR"] = world_->cups->BackendFolder().string();
  const ProcessResult removed = RunProcess({std::string{VELLUMOR_SOURCE_DIR} + "/scripts/remove-printer.sh"}, options);
  ASSERT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_NE(world_->cups->Run({"lpstat", "-p", "Vellumor"}).exitCode, 0);
  EXPECT_THAT(world_->cups->Run({"lpinfo", "-v"}).out, Not(HasSubstr("vellumor")));
  EXPECT_FALSE(std::filesystem::exists(world_->cups->BackendFolder() / "vellumor.conf"));
}

}  // namespace
}  // namespace vellumor::test
