// The conversion checks of the Linux suite once more on Windows, against the real engine: the
// Ghostscript DLL scripts/build-windows-engine.sh built from Debian's source. Pages, profiles,
// document information and initial view, encryption, appending, cancelling and progress; paths
// with spaces, "%", letters outside ASCII and more than 260 characters; and Ghostscript's own
// example jobs, whose PDFs must render like those of the Linux engine. The PDFs are read with
// qpdf and poppler, never with the engine that wrote them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "convert/Conversion.h"
#include "convert/EngineArguments.h"
#include "platform/Cancellation.h"
#include "platform/Environment.h"
#include "platform/PathText.h"
#include "platform/win32/EngineDll.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WindowsApi.h"
#include "settings/QualityProfile.h"
#include "support/LinuxTools.h"
#include "support/PdfFacts.h"
#include "support/PipelineFixture.h"

namespace vellumor::convert {
namespace {

using platform::PathFromUtf8;
using test::InspectPdf;
using test::NamesIn;
using test::PdfText;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Where the engine script put the DLL (bin/) and the source package's example jobs (examples/).
std::filesystem::path EngineFolder() {
  return PathFromUtf8(platform::GetEnvironmentVariable("VELLUMOR_WINDOWS_ENGINE").value_or("engine"));
}

class EngineConversionTest : public test::PipelineFixture {
 protected:
  // The process binds its engine imports once: to the real DLL, before any conversion looks
  // for one (the stand-in sits beside the test programs).
  static void SetUpTestSuite() {
    test::TempDir empty;
    std::string error;
    ASSERT_TRUE(platform::LoadEngineDll({std::filesystem::absolute(EngineFolder() / "bin"), empty / "registry"}, error))
        << error << " (scripts/build-windows-engine.sh builds it)";
  }
  void TearDown() override { platform::DeletePrivateRegistry(registry.Folder()); }

  std::filesystem::path Output() const { return outputFolder / "Report.pdf"; }
  ConversionResult Convert() {
    const ConversionResult result = CreatePdf(state, *services).result;
    EXPECT_THAT(ui.MessageTexts(), IsEmpty());
    return result;
  }
};

// Text, a grey ramp image and a page count the engine reports as it goes.
std::string PagesWithImageJob(int pages, std::string_view label = "Page") {
  std::string job = "%!PS-Adobe-3.0\n/Helvetica findfont 24 scalefont setfont\n";
  for (int page = 1; page <= pages; ++page) {
    job += "(Page: " + std::to_string(page) + "\\n) print flush\n";
    job += "72 700 moveto (" + std::string{label} + " " + std::to_string(page) + ") show\n";
    job +=
        "gsave 72 72 translate 400 400 scale 256 256 8 [256 0 0 256 0 0] "
        "{ 256 string 0 1 255 { 1 index exch dup put } for } image grestore showpage\n";
  }
  return job;
}

TEST_F(EngineConversionTest, EveryProfileWritesEveryPage) {
  UseJob(PagesWithImageJob(3));
  for (const settings::QualityProfile profile :
       {settings::QualityProfile::Screen, settings::QualityProfile::eBook, settings::QualityProfile::Print,
        settings::QualityProfile::PrePress, settings::QualityProfile::Custom}) {
    state.settings.Quality = std::string{settings::QualityProfileText(profile)};
    SCOPED_TRACE(state.settings.Quality);
    ASSERT_EQ(Convert(), ConversionResult::Written);
    const test::PdfFacts facts = InspectPdf(Output());
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.pages, 3);
    EXPECT_FALSE(facts.imageFilters.empty());
  }
  // The Custom profile's compression reaches black and white images.
  state.settings.Quality = std::string{settings::QualityProfileText(settings::QualityProfile::Custom)};
  UseJob("%!PS\n72 72 translate 300 300 scale 256 256 1 [256 0 0 256 0 0] {<55aa55aa55aa55aa>} image showpage\n");
  const std::pair<const char*, const char*> cases[] = {{"CCITT Fax encoded", "/CCITTFaxDecode"},
                                                       {"Flate encode", "/FlateDecode"},
                                                       {"Run length encode", "/RunLengthDecode"}};
  for (const auto& [compression, filter] : cases) {
    SCOPED_TRACE(compression);
    state.settings.Compression = compression;
    ASSERT_EQ(Convert(), ConversionResult::Written);
    EXPECT_EQ(InspectPdf(Output()).imageFilters, std::set<std::string>{filter});
  }
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

TEST_F(EngineConversionTest, DocumentInformationAndInitialViewFromTheMarksFile) {
  state.settings.DocTitle = "Costs (draft) \\ 50% ) unbalanced";
  state.settings.DocAuthor = "Jürgen Grüße";
  state.settings.DocSubject = "Line one\nline two";
  state.settings.AdvZoom = "125";
  UseJob(test::PagesJob(1));
  ASSERT_EQ(Convert(), ConversionResult::Written);

  test::PdfFacts facts = InspectPdf(Output());
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.info["/Title"], state.settings.DocTitle);
  EXPECT_EQ(facts.info["/Author"], state.settings.DocAuthor);
  EXPECT_EQ(facts.info["/Subject"], "Line one\nline two");
  EXPECT_EQ(facts.info["/Creator"], "Vellumor v1.06");
  EXPECT_EQ(facts.pageMode, "/UseOutlines");
  EXPECT_THAT(facts.openAction, HasSubstr("/XYZ null null 1.25"));
}

TEST_F(EngineConversionTest, EncryptionAndPermissions) {
  state.settings.SecAlwaysUse = 1;
  state.settings.SecOpenPassword = "open";
  state.settings.SecPermPassword = "owner";
  state.settings.SecPermPrinting = "Low resolution";
  state.settings.SecPermCopy = 1;
  UseJob(test::PagesJob(1));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  EXPECT_FALSE(InspectPdf(Output()).opened) << "a PDF with an open password opened without it";
  test::PdfFacts facts = InspectPdf(Output(), "open");
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.revision, 3);
  EXPECT_EQ(facts.keyLength, 128);
  EXPECT_EQ(facts.permissions & 0xF3C, 4 | 16);
  EXPECT_TRUE(InspectPdf(Output(), "owner").ownerPasswordMatched);

  // PDF 1.3: the 40-bit key; revision 2 knows print, modify, copy and annotate only.
  state.settings.AdvPdfVersion = "PDF 1.3";
  state.settings.SecOpenPassword = "";
  state.settings.SecPermPrinting = "High resolution";
  state.settings.SecPermChanges = "Creating, inserting, deleting, rotating pages";
  state.settings.SecPermCopy = 0;
  ASSERT_EQ(Convert(), ConversionResult::Written);
  facts = InspectPdf(Output());
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.revision, 2);
  EXPECT_EQ(facts.keyLength, 40);
  EXPECT_EQ(facts.permissions & 0x3C, 4);
}

TEST_F(EngineConversionTest, AppendKeepsEveryOldPageFirst) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  UseJob(test::PagesJob(1, "New"));
  ASSERT_EQ(Convert(), ConversionResult::Written);

  EXPECT_EQ(InspectPdf(Output()).pages, 3);
  const std::string text = PdfText(Output());
  const std::size_t old1 = text.find("Old 1");
  const std::size_t old2 = text.find("Old 2");
  const std::size_t new1 = text.find("New 1");
  ASSERT_NE(old1, std::string::npos) << text;
  EXPECT_LT(old1, old2);
  EXPECT_LT(old2, new1);
  EXPECT_NE(new1, std::string::npos);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

TEST_F(EngineConversionTest, ProgressFollowsTheEngineOutput) {
  state.settings.AdvShowWindow = 1;
  UseJob(PagesWithImageJob(3));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  EXPECT_EQ(ui.progressWindowsCreated, 1);
  ASSERT_FALSE(ui.progressLines.empty());
  EXPECT_THAT(ui.progressLines,
              ::testing::Contains(std::pair<std::string, std::string>{"Filename: Report.pdf", "Pages: 2"}));
  EXPECT_EQ(ui.progressLines.back(), (std::pair<std::string, std::string>{"Filename: Report.pdf", "Pages: 3"}));
  EXPECT_FALSE(ui.progressWindow) << "the progress window outlived the conversion";
}

// Ctrl+C, as a console user or the port's cancellation sends it, while the engine works.
TEST_F(EngineConversionTest, ACancellationStopsTheEngineAndKeepsTheOldPdf) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  const std::string before = test::ReadFileBytes(Output());

  // A console of the test's own, so that the event reaches this process alone.
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  const std::unique_ptr<platform::Cancellation> cancellation = platform::Cancellation::Watch();
  ASSERT_NE(cancellation, nullptr);
  services->cancellation = cancellation.get();
  state.settings.AdvShowWindow = 1;
  ui.onProgressWindow = [&] {
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    // The system runs the handler on a thread of its own; the engine must not read on before.
    for (int waited = 0; waited < 30'000 && !cancellation->Requested(); waited += 10) {
      ::Sleep(10);
    }
    ASSERT_TRUE(cancellation->Requested()) << "Ctrl+C did not arrive";
  };
  UseJob(test::PagesJob(3, "New") + "(Page: 99\\n) print flush\n");
  const ConversionOutcome outcome = CreatePdf(state, *services);
  services->cancellation = nullptr;

  EXPECT_EQ(outcome.result, ConversionResult::Cancelled);
  EXPECT_EQ(cancellation->SignalName(), "Ctrl+C");
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_THAT(ui.progressLines, ::testing::Not(::testing::Contains(::testing::Pair(::testing::_, "Pages: 99"))));
  EXPECT_EQ(test::ReadFileBytes(Output()), before);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

// The output folder, the name and the title with spaces, "%" (a page-number pattern to the
// engine) and letters outside the ANSI code page, the temporary folder (the marks file) too.
TEST_F(EngineConversionTest, PathsAndTitlesWithSpacesPercentAndOtherLetters) {
  const std::string title = "Q3 100% Überblick %d – αβγ 日本";
  const std::filesystem::path folder = dir.Path() / PathFromUtf8("Berichte 50% für Jürgen Ω");
  const std::filesystem::path tempFolder = dir.Path() / PathFromUtf8("Temp Ärger %s");
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(tempFolder);
  std::string error;
  temp = platform::TempFolder::At(tempFolder, error);
  ASSERT_TRUE(temp) << error;
  UseEngine(MakeGhostscriptEngine());
  state.settings.SaveToPath = platform::Utf8FromPath(folder);
  state.settings.DocTitle = title;
  state.OutputFileName = title + ".pdf";
  state.JobFilePath = tempFolder / "vlm1.tmp.ps";
  test::WriteFileBytes(state.JobFilePath, test::PagesJob(2));

  ASSERT_EQ(Convert(), ConversionResult::Written);
  const std::filesystem::path pdf = folder / PathFromUtf8(title + ".pdf");
  test::PdfFacts facts = InspectPdf(pdf);
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.pages, 2);
  EXPECT_EQ(facts.info["/Title"], title);
  EXPECT_EQ(NamesIn(folder).size(), 1u);
  EXPECT_THAT(NamesIn(tempFolder), ElementsAre("vlm1.tmp.ps"));
}

TEST_F(EngineConversionTest, AnOutputPathLongerThan260Characters) {
  std::filesystem::path folder = outputFolder;
  for (int level = 0; level < 4; ++level) {
    folder /= "Quarterly reports of the northern region " + std::to_string(level) + std::string(30, 'x');
  }
  std::filesystem::create_directories(folder);
  state.settings.SaveToPath = platform::Utf8FromPath(folder);
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  const std::filesystem::path pdf = folder / "Report.pdf";
  ASSERT_GT(pdf.native().size(), 260u);

  UseJob(test::PagesJob(2));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  UseJob(test::PagesJob(1));
  ASSERT_EQ(Convert(), ConversionResult::Written);
  EXPECT_EQ(InspectPdf(pdf).pages, 3);
  // The standard library's folder listing stops at 260 characters; the system's own long-path
  // form does not.
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = L"\\\\?\\" + std::filesystem::absolute(folder).native() + L"\\*";
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    if (found.cFileName[0] != L'.' || (found.cFileName[1] != L'\0' && found.cFileName[1] != L'.')) {
      names.push_back(platform::Utf8FromPath(found.cFileName));
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  EXPECT_THAT(names, ElementsAre("Report.pdf"));
}

// Jobs nobody here wrote: the example files of Ghostscript's source package. Each must give the
// page count and the first page's raster that the Linux engine gives for the same arguments.
TEST_F(EngineConversionTest, GhostscriptsExamplesConvertAsOnLinux) {
  std::vector<std::filesystem::path> examples;
  for (const auto& entry : std::filesystem::directory_iterator(EngineFolder() / "examples")) {
    const std::filesystem::path extension = entry.path().extension();
    if (extension == ".ps" || extension == ".eps") {
      examples.push_back(entry.path());
    }
  }
  std::sort(examples.begin(), examples.end());
  ASSERT_GE(examples.size(), 10u);

  std::vector<std::string> linuxSwitches = BuildEngineArguments(state.settings);
  linuxSwitches.erase(linuxSwitches.begin());  // the program name
  // For jobs that choose no page size: the Linux engine takes the system's paper (libpaper),
  // the DLL the Windows locale's, Letter for the US English one the test script gives Wine.
  linuxSwitches.emplace_back("-sPAPERSIZE=letter");
  int identical = 0;
  for (const std::filesystem::path& example : examples) {
    const std::string name = example.filename().string();
    SCOPED_TRACE(name);
    state.OutputFileName = name + ".pdf";
    UseJobFile(example);
    ASSERT_EQ(Convert(), ConversionResult::Written);
    const std::filesystem::path windowsPdf = outputFolder / state.OutputFileName;

    const std::filesystem::path linuxPdf = dir / (name + ".linux.pdf");
    std::vector<std::string> arguments{"/usr/bin/gs"};
    arguments.insert(arguments.end(), linuxSwitches.begin(), linuxSwitches.end());
    arguments.insert(arguments.end(), {"-sOutputFile=" + test::LinuxPath(linuxPdf), test::LinuxPath(example)});
    ASSERT_EQ(test::RunLinuxProgram(arguments), 0);

    const int pages = InspectPdf(linuxPdf).pages;
    EXPECT_GT(pages, 0);
    EXPECT_EQ(InspectPdf(windowsPdf).pages, pages);
    const std::string linuxRaster = test::PageRaster(linuxPdf, 1, 20);
    ASSERT_FALSE(linuxRaster.empty());
    const std::string windowsRaster = test::PageRaster(windowsPdf, 1, 20);
    const bool same = windowsRaster == linuxRaster;
    EXPECT_TRUE(same) << "page 1 renders differently from the Linux engine's";
    identical += same ? 1 : 0;
  }
  std::printf("Ghostscript's examples: %d of %zu identical to Linux\n", identical, examples.size());
}

}  // namespace
}  // namespace vellumor::convert
