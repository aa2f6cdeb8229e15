// The built program, started as the printer port starts it: a job on standard input, no
// display, a private home, temporary folder and registry.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "app/ProgramInformation.h"
#include "platform/UnprivilegedRun.h"
#include "printer/support/PrivateCups.h"
#include "printer/support/TestUser.h"
#include "support/DeadDisplay.h"
#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string> Names(const std::vector<std::filesystem::path>& paths) {
  std::vector<std::string> names;
  for (const auto& path : paths) {
    names.push_back(path.filename().string());
  }
  return names;
}

class VellumorProcessTest : public ::testing::Test {
 protected:
  // Nothing may stay behind in the temporary folder once the process has ended.
  void TearDown() override { EXPECT_TRUE(std::filesystem::is_empty(sandbox.Temp())) << "side files left behind"; }

  Sandbox sandbox;
};

TEST_F(VellumorProcessTest, FirstStartSavesTheSampleOnTheDesktop) {
  const ProcessResult run = sandbox.Run(std::filesystem::path{VELLUMOR_SOURCE_DIR} / "samples/quarterly-report.ps");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::filesystem::path pdf = sandbox.Desktop() / "Quarterly Report.pdf";
  EXPECT_EQ(run.out, pdf.string() + "\n");
  const PdfFacts facts = InspectPdf(pdf);
  EXPECT_EQ(facts.pages, 2);
  EXPECT_THAT(PdfText(pdf), HasSubstr("Quarterly Report"));
  // An automatic conversion does not store the settings.
  EXPECT_EQ(sandbox.StoredSetting("Quality"), "");
}

TEST_F(VellumorProcessTest, RealJobsKeepTheirPages) {
  const std::filesystem::path job = MakeTextJob(sandbox / "", "letters", 7, "Letters.txt");
  ProcessResult run = sandbox.Run(job);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::filesystem::path pdf = sandbox.Desktop() / "Letters.pdf";
  EXPECT_EQ(InspectPdf(pdf).pages, 7);
  const std::string text = PdfText(pdf);
  EXPECT_LT(text.find("Page 1 of 7"), text.find("Page 7 of 7"));

  // groff writes no title line, so the document name option names it.
  run = sandbox.Run(MakeGroffJob(sandbox / "", "manual", 3), {"-bManual.roff"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(InspectPdf(sandbox.Desktop() / "Manual.pdf").pages, 3);
}

TEST_F(VellumorProcessTest, BinaryDataReachesTheEngineIntact) {
  // The job reads 300 raw bytes (CR LF pairs, Ctrl-Z, 0xFF, NUL among them) and prints their sum.
  std::string data;
  for (int byte = 0; byte < 256; ++byte) {
    data += static_cast<char>(byte);
  }
  for (int i = 0; i < 11; ++i) {
    data += "\r\n\x1A\xFF";
  }
  long sum = 0;
  for (const unsigned char byte : data) {
    sum += byte;
  }
  const std::string job =
      "%!PS\n%%Title: Binary\n/Helvetica findfont 20 scalefont setfont\n/data 300 string def\n"
      "currentfile data readstring\n" +
      data +
      "pop pop\n/sum 0 def data { sum add /sum exch def } forall\n"
      "72 700 moveto (Sum ) show sum 20 string cvs show showpage\n";
  const ProcessResult run = sandbox.RunWithInput(job);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(PdfText(sandbox.Desktop() / "Binary.pdf"), HasSubstr("Sum " + std::to_string(sum)));
}

TEST_F(VellumorProcessTest, SaveModesAndNamingRules) {
  const std::filesystem::path folder = sandbox / "pdfs";
  std::filesystem::create_directories(folder);
  sandbox.SetSetting("SaveAs", "Use source filename, save to a specific folder (automatic)");
  sandbox.SetSetting("SaveToPath", folder.string());
  sandbox.SetSetting("AdvPrefixFilename", "[YYYY]-[MM]-[DD] ");
  sandbox.SetSetting("AdvPostfixFilename", "_[AMN]");

  const ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: Budget.xls\nshowpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> names = Names(Sandbox::FilesIn(folder, ".pdf"));
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex{R"(\d{4}-\d\d-\d\d Budget_[A-Z][a-z]{2}\.pdf)"})) << names[0];
  EXPECT_THAT(Sandbox::FilesIn(sandbox.Desktop(), ".pdf"), IsEmpty());
}

TEST_F(VellumorProcessTest, FixedNameAndSiblingSetupFile) {
  sandbox.SetSetting("AdvFixedFilename", "Always this.pdf");
  ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: Whatever\nshowpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(sandbox.Desktop() / "Always this.pdf"));

  // The sibling product hands over its own naming; it stays in the temporary folder for it.
  WriteFileBytes(sandbox.Temp() / "Sheafwright.vsf", "AdvFixedFilename;From sibling.pdf\r\n");
  run = sandbox.RunWithInput("%!PS\n%%Title: Whatever\nshowpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(sandbox.Desktop() / "From sibling.pdf"));
  std::filesystem::remove(sandbox.Temp() / "Sheafwright.vsf");
}

TEST_F(VellumorProcessTest, DocumentNameOption) {
  ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: Title line\nshowpage\n", {"-bMy Report.doc"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(Names(Sandbox::FilesIn(sandbox.Desktop(), ".pdf")), ElementsAre("My Report.pdf"));

  sandbox.SetSetting("AdvSheafwrightFilename", "0");
  run = sandbox.RunWithInput("%!PS\n%%Title: Title line\nshowpage\n", {"-bMy Report.doc"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(sandbox.Desktop() / "Title line.pdf"));
}

TEST_F(VellumorProcessTest, EveryJobGetsAPdfWithASoundName) {
  std::string japanese;  // 100 characters, 300 bytes
  for (int i = 0; i < 100; ++i) {
    japanese += "\xE6\x97\xA5";
  }
  const struct {
    std::string title;
    std::vector<std::string> arguments;
    std::string name;
  } cases[] = {
      // Longer than a file name may be: 241 bytes at most, ".pdf" included.
      {std::string(300, 'x'), {}, std::string(237, 'x') + ".pdf"},
      {japanese, {}, japanese.substr(0, 237) + ".pdf"},
      {"Title", {"-b" + japanese}, japanese.substr(0, 237) + ".pdf"},
      // Control characters never reach the name, and a name of dots is no hidden file.
      {"Minutes\x1B[31m\a 3\r", {}, "Minutes[31m 3.pdf"},
      {"Title", {"-bLine\nfeed"}, "Linefeed.pdf"},
      {"..", {}, "nofile.pdf"},
  };
  for (const auto& [title, arguments, name] : cases) {
    SCOPED_TRACE(name);
    const ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: " + title + "\nshowpage\n", arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::filesystem::path pdf = sandbox.Desktop() / name;
    EXPECT_EQ(run.out, pdf.string() + "\n");
    EXPECT_EQ(InspectPdf(pdf).pages, 1);
    EXPECT_THAT(Names(Sandbox::FilesIn(sandbox.Desktop(), ".pdf")), ElementsAre(name));
    std::filesystem::remove(pdf);
  }
}

TEST_F(VellumorProcessTest, EachCustomCompressionWritesItsImages) {
  sandbox.SetSetting("Quality", "Based on custom settings.");
  // A black and white image large enough to be kept as an image of its own.
  const std::string job =
      "%!PS\n%%Title: Scan\n72 72 translate 300 300 scale\n"
      "256 256 1 [256 0 0 256 0 0] {<55aa55aa55aa55aa>} image showpage\n";
  const std::pair<const char*, const char*> cases[] = {{"CCITT Fax encoded", "/CCITTFaxDecode"},
                                                       {"Flate encode", "/FlateDecode"},
                                                       {"Run length encode", "/RunLengthDecode"}};
  for (const auto& [compression, filter] : cases) {
    SCOPED_TRACE(compression);
    sandbox.SetSetting("Compression", compression);
    const ProcessResult run = sandbox.RunWithInput(job);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const PdfFacts facts = InspectPdf(sandbox.Desktop() / "Scan.pdf");
    EXPECT_EQ(facts.pages, 1);
    EXPECT_EQ(facts.imageFilters, std::set<std::string>{filter});
  }
}

TEST_F(VellumorProcessTest, ADisplayThatDoesNotAnswerMeansUnattended) {
  // Over ssh, from cron or after the X server died the variables still name a display.
  const DeadXDisplay deadX;
  ASSERT_FALSE(deadX.Name().empty());
  const std::map<std::string, std::string> environments[] = {
      {{"DISPLAY", deadX.Name()}},
      {{"WAYLAND_DISPLAY", "wayland-none"}, {"XDG_RUNTIME_DIR", sandbox.Home().string()}},
  };
  for (const auto& environment : environments) {
    SCOPED_TRACE(environment.begin()->first);
    ProcessOptions options = sandbox.Options();
    options.unsetEnvironment = {"GS_LIB", "GS_FONTPATH", "GS_DLL", "DISPLAY", "WAYLAND_DISPLAY"};
    std::erase_if(options.unsetEnvironment, [&](const std::string& name) { return environment.contains(name); });
    options.setEnvironment.insert(environment.begin(), environment.end());
    options.stdinText = "%!PS\n%%Title: Remote\nshowpage\n";
    const ProcessResult run = RunProcess({VELLUMOR_BINARY}, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, (sandbox.Desktop() / "Remote.pdf").string() + "\n");
    EXPECT_THAT(run.err, ::testing::MatchesRegex("vellumor: no windows \\([A-Z_]+ \"[^\"]+\" cannot be reached\\); "
                                                 "running unattended\n"));
  }
}

TEST_F(VellumorProcessTest, NothingWrittenIsNotReportedAsSuccess) {
  // No title: the name must be asked for, and nobody is there to answer.
  ProcessResult run = sandbox.RunWithInput("%!PS\nshowpage\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("vellumor: No filename given!"));

  // A job with a PostScript error.
  run = sandbox.RunWithInput("%!PS\n%%Title: Broken\n/nosuchoperator load\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("vellumor: Fatal Error!"));
  // The engine's own words are diagnostics: standard output carries only a written PDF's path.
  EXPECT_THAT(run.err, HasSubstr("undefined"));
  EXPECT_EQ(run.out, "");

  // A manual save mode waits for a button nobody can press.
  sandbox.SetSetting("SaveAs", "Ask when creating PDF (manual)");
  run = sandbox.RunWithInput("%!PS\n%%Title: Manual\nshowpage\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("needs a display"));

  EXPECT_THAT(Sandbox::FilesIn(sandbox.Desktop(), ".pdf"), IsEmpty());
  EXPECT_TRUE(std::filesystem::is_empty(sandbox.Desktop()));
}

TEST_F(VellumorProcessTest, EmptyInputHasNothingToDo) {
  const ProcessResult run = sandbox.RunWithInput("");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_THAT(run.err, HasSubstr("no print job"));
}

TEST_F(VellumorProcessTest, AppendAcrossTwoJobs) {
  sandbox.SetSetting("AdvAppend", "Append to existing");
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  ASSERT_EQ(sandbox.Run(MakeTextJob(sandbox / "", "monday", 2, "Monday")).exitCode, 0);
  ASSERT_EQ(sandbox.Run(MakeTextJob(sandbox / "", "tuesday", 3, "Tuesday")).exitCode, 0);
  const std::filesystem::path pdf = sandbox.Desktop() / "Journal.pdf";
  EXPECT_EQ(InspectPdf(pdf).pages, 5);
  const std::string text = PdfText(pdf);
  EXPECT_LT(text.find("Page 2 of 2"), text.find("Page 1 of 3"));
  EXPECT_THAT(Names(Sandbox::FilesIn(sandbox.Desktop(), ".pdf")), ElementsAre("Journal.pdf"));
}

TEST_F(VellumorProcessTest, StoredSecuritySettingsProtectThePdf) {
  sandbox.SetSetting("SecAlwaysUse", "1");
  sandbox.SetSetting("SecOpenPassword", "letmein");
  sandbox.SetSetting("SecPermPrinting", "High resolution");
  const ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: Secret\nshowpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::filesystem::path pdf = sandbox.Desktop() / "Secret.pdf";
  EXPECT_FALSE(InspectPdf(pdf).opened);
  const PdfFacts facts = InspectPdf(pdf, "letmein");
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.revision, 3);
  // Without a permissions password the PDF allows everything once opened.
  EXPECT_EQ(facts.permissions, -4);
}

TEST(TemporaryFolderProcessTest, AnotherUserCannotSteerTheJobThroughIt) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "another user's files need a second account, made as root";
  }
  TempDir world;
  std::filesystem::permissions(world.Path(), std::filesystem::perms{0755});
  std::string error;
  const std::unique_ptr<TestUser> victim = TestUser::Create(world / "home", error);
  ASSERT_NE(victim, nullptr) << error;
  const std::filesystem::path program = SharedProgramCopy(world / "program", VELLUMOR_BINARY);
  const std::filesystem::path thesis = victim->Home() / "thesis.txt";
  WriteFileBytes(thesis, "the victim's thesis");
  victim->Own(thesis);
  const std::filesystem::path shared = world / "shared";
  std::filesystem::create_directory(shared);
  std::filesystem::permissions(shared, std::filesystem::perms{01777});
  const std::filesystem::path taken = "/tmp/vellumor-" + std::to_string(victim->Uid());

  // Another user prepares the shared folder the victim's TMPDIR names: the sibling product's setup
  // file, naming a program to open every PDF with; a link at every name a job file can take; and
  // a folder of its own at the victim's default name.
  const std::string planted = RunUnprivileged([&] {
    WriteFileBytes(shared / "Sheafwright.vsf",
                   "AdvFixedFilename;Planted.pdf\r\nAfterCreation;Open PDF\r\n"
                   "AdvOpenDefaultPDF;0\r\nAdvOpenWith;" +
                       (shared / "planted.sh").string() + "\r\n");
    WriteFileBytes(shared / "planted.sh", "#!/bin/sh\ntouch " + (shared / "started").string() + "\n");
    std::filesystem::permissions(shared / "planted.sh", std::filesystem::perms{0755});
    LinkEveryReservedName(shared, ".ps", thesis);
    return ::mkdir(taken.c_str(), 0700) == 0 ? "" : "the default name could not be taken";
  });
  ASSERT_EQ(planted, "");

  ProcessOptions options;
  options.setEnvironment["TMPDIR"] = shared.string();
  options.stdinText = "%!PS\n%%Title: Mine\nshowpage\n";
  const ProcessResult run = victim->Run({program.string()}, options);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::regex notices{"vellumor: The temporary folder " + shared.string() +
                           " from TMPDIR belongs to another user; using (" + taken.string() +
                           "-[A-Za-z0-9]{6}) instead\\.\n"
                           "vellumor: The temporary folder " +
                           taken.string() + " belongs to another user; using \\1 instead\\.\n"};
  std::smatch match;
  ASSERT_TRUE(std::regex_match(run.err, match, notices)) << run.err;
  EXPECT_FALSE(std::filesystem::exists(match[1].str())) << "the run's own folder stays behind";
  EXPECT_THAT(Names(Sandbox::FilesIn(victim->PdfFolder(), ".pdf")), ElementsAre("Mine.pdf"));
  EXPECT_EQ(ReadFileBytes(thesis), "the victim's thesis");
  EXPECT_FALSE(std::filesystem::exists(shared / "started"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator{shared}, {}), 0xFFFF + 2);
}

TEST_F(VellumorProcessTest, HelpAndVersionAnswerWithoutTouchingTheJob) {
  const std::string job = "%!PS\n%%Title: Untouched\nshowpage\n";
  const ProcessResult version = sandbox.RunWithInput(job, {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_THAT(version.out, ::testing::StartsWith("vellumor 1.06\n"));
  EXPECT_THAT(version.out, ::testing::HasSubstr("License AGPL-3.0-or-later"));
  const ProcessResult help = sandbox.RunWithInput(job, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, ::testing::StartsWith("Usage: vellumor"));
  EXPECT_EQ(version.err + help.err, "");
  EXPECT_TRUE(std::filesystem::is_empty(sandbox.Desktop()));
  EXPECT_FALSE(std::filesystem::exists(sandbox.RegistryFolder()));

  // Only the lone, exact option asks; anything else is a file to print, as before.
  for (const std::vector<const char*>& argv : std::vector<std::vector<const char*>>{
           {"vellumor", "./--help"}, {"vellumor", "--help", "report.txt"}, {"vellumor", "-h"}, {"vellumor"}}) {
    EXPECT_FALSE(app::InformationRequested(static_cast<int>(argv.size()), argv.data())) << argv.back();
  }
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count{0};
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// One bad line in the settings must not drop the others (an unprotected PDF with exit 0 would be
// the worst outcome); settings that cannot be read at all refuse the job; a sibling setup file
// that is no file at all is passed over at once.
TEST_F(VellumorProcessTest, DamagedOrUnusableSettingsFiles) {
  sandbox.SetSetting("SecAlwaysUse", "1");
  sandbox.SetSetting("SecOpenPassword", "letmein");
  const std::filesystem::path hive = sandbox.RegistryFolder() / "system.reg";
  std::string text = ReadFileBytes(hive);
  text.insert(text.find("\"SecAlwaysUse\""), "\"DocTitle\"=\"cut sh\n");
  WriteFileBytes(hive, text);
  ProcessResult run = sandbox.RunWithInput("%!PS\n%%Title: Secret\nshowpage\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(InspectPdf(sandbox.Desktop() / "Secret.pdf").opened);
  EXPECT_TRUE(InspectPdf(sandbox.Desktop() / "Secret.pdf", "letmein").opened);
  EXPECT_EQ(CountOf(run.err, "damaged"), 1u) << run.err;
  EXPECT_THAT(run.err, HasSubstr("vellumor: " + hive.string() + ": skipped damaged line "));

  ASSERT_EQ(::mkfifo((sandbox.Temp() / "Sheafwright.vsf").c_str(), 0600), 0);
  run = sandbox.RunWithInput("%!PS\n%%Title: Beside a FIFO\nshowpage\n");
  std::filesystem::remove(sandbox.Temp() / "Sheafwright.vsf");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("vellumor: Settings not loaded from " + (sandbox.Temp() / "Sheafwright.vsf").string() +
                                 ": not a regular file"));

  std::filesystem::remove(hive);
  std::filesystem::create_directory(hive);
  run = sandbox.RunWithInput("%!PS\n%%Title: Unprotected\nshowpage\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("vellumor: the settings could not be read (" + hive.string() +
                                 ": Is a directory); no PDF was written"));
  EXPECT_FALSE(std::filesystem::exists(sandbox.Desktop() / "Unprotected.pdf"));
}

}  // namespace
}  // namespace vellumor::test
