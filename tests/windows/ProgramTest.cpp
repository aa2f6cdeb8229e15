// vellumor.exe run as the printer's port runs it: a job on standard input, no windows, the
// settings in a private registry, and the stand-in engine DLL beside it. The PDF lands in the
// user's desktop folder as Explorer records it; print-files mode hands files to the shell's
// "print" verb through the product's printer on Wine's spooler.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/Environment.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/win32/DesktopShell.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"
#include "standin/MinimalPdf.h"
#include "support/TempDir.h"
#include "support/WinePrinters.h"

namespace vellumor::platform {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr std::string_view kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";

struct ProgramRun {
  DWORD exitCode{0};
  std::string out;
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in{text};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_REGISTRY", Utf8FromPath(registry_.Folder())));
    ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_STANDIN_RECORD", Utf8FromPath(record_)));
    Settings({{"SaveAs", kRegSz, "Save to users Desktop (automatic)"}, {"SaveToPath", kRegSz, "c:\\"}});
  }
  void TearDown() override { DeletePrivateRegistry(registry_.Folder()); }

  void Settings(std::vector<RegistryValue> values) {
    ASSERT_EQ(registry_.SetValues(RegistryRoot::LocalMachine, kProductKey, values), win_error::kSuccess);
  }

  // Runs the program with `arguments` and `job` on its standard input, its output in files.
  ProgramRun Run(const std::vector<std::string>& arguments, std::string_view job,
                 const std::filesystem::path& program = ProgramFolder() / "vellumor.exe") {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE input = nullptr;
    HANDLE feed = nullptr;
    EXPECT_TRUE(::CreatePipe(&input, &feed, &inherited, 0));
    ::SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
    const std::filesystem::path outPath = dir_.Path() / "out.txt";
    const std::filesystem::path errPath = dir_.Path() / "err.txt";
    HANDLE out = ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring command = QuotedArgument(program.native());
    for (const std::string& argument : arguments) {
      command += L" " + QuotedArgument(WideFromUtf8(argument));
    }
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &process);
    ::CloseHandle(input);
    ::CloseHandle(out);
    ::CloseHandle(err);
    ProgramRun run;
    EXPECT_TRUE(started) << ::GetLastError();
    if (started) {
      DWORD written = 0;
      ::WriteFile(feed, job.data(), static_cast<DWORD>(job.size()), &written, nullptr);
      ::CloseHandle(feed);
      EXPECT_EQ(::WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
      ::GetExitCodeProcess(process.hProcess, &run.exitCode);
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
    } else {
      ::CloseHandle(feed);
    }
    run.out = test::ReadFileBytes(outPath);
    run.err = test::ReadFileBytes(errPath);
    return run;
  }

  // What the stand-in engine was asked, one line each; the record starts afresh.
  std::vector<std::string> Calls() {
    std::vector<std::string> calls = Lines(test::ReadFileBytes(record_));
    std::filesystem::remove(record_);
    return calls;
  }

  // Unique to this test, with a letter outside ASCII so that names travel as UTF-8 throughout.
  std::string Title() const { return "Report " + Utf8FromPath(dir_.Path().filename()) + " \xC3\xBC"; }

  static std::string Job(const std::string& title, int pages) {
    std::string job = "%!PS-Adobe-3.0\n%%Title: " + title + "\n";
    for (int page = 0; page < pages; ++page) {
      job += "showpage\n";
    }
    return job;
  }

  test::TempDir dir_;
  Registry registry_{dir_.Path() / "registry"};
  std::filesystem::path record_ = dir_.Path() / "engine-calls.txt";
};

// The value of the argument that starts with `prefix`, or "".
std::string Argument(const std::vector<std::string>& calls, std::string_view prefix) {
  for (const std::string& call : calls) {
    if (call.starts_with("arg ") && std::string_view{call}.substr(4).starts_with(prefix)) {
      return call.substr(4 + prefix.size());
    }
  }
  return "";
}

void KeepForQpdf(const std::filesystem::path& pdf, const std::string& name) {
  if (const std::optional<std::string> keep = GetEnvironmentVariable("VELLUMOR_WINDOWS_PDF_FOLDER"); keep) {
    std::filesystem::copy_file(pdf, std::filesystem::path{*keep} / name,
                               std::filesystem::copy_options::overwrite_existing);
  }
}

TEST_F(ProgramTest, AJobOnStandardInputBecomesAPdfOnTheDesktop) {
  const std::string title = Title();
  const std::filesystem::path pdf = DesktopFolder() / PathFromUtf8(title + ".pdf");
  const ProgramRun run = Run({}, Job(title, 2));
  EXPECT_EQ(run.exitCode, 0U) << run.err;
  // Standard output carries the PDF's path only (a line as Windows ends it).
  EXPECT_EQ(run.out, Utf8FromPath(pdf) + "\r\n");
  EXPECT_THAT(test::PageTextsOf(test::ReadFileBytes(pdf)), ElementsAre(title + " page 1", title + " page 2"));

  // The engine wrote a staged file beside the PDF, read the job through its input callback and
  // the marks file after it, and was asked for its page count before and after the job.
  const std::vector<std::string> calls = Calls();
  const std::filesystem::path staged = PathFromUtf8(Argument(calls, "-sOutputFile="));
  EXPECT_EQ(staged.parent_path(), pdf.parent_path());
  EXPECT_THAT(Utf8FromPath(staged.filename()), StartsWith(".vellumor-"));
  const std::string marks = Argument(calls, "C:\\");
  EXPECT_THAT(marks, HasSubstr(".mark.txt"));
  EXPECT_THAT(calls, Contains("arg -_"));
  EXPECT_THAT(calls, Contains("stdin " + std::to_string(Job(title, 2).size()) + " bytes, 2 pages"));
  EXPECT_THAT(calls, Contains("read C:\\" + marks + ", 0 pages"));
  EXPECT_THAT(calls, Contains(AllOf(StartsWith("arg "), HasSubstr("%%VellumorPages: after"))));
  EXPECT_EQ(calls.back(), "gsapi_delete_instance");
  // Nothing of the run is left: not the staged file, not the marks file.
  EXPECT_FALSE(std::filesystem::exists(staged));
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8("C:\\" + marks)));
  KeepForQpdf(pdf, "ProgramTest-job.pdf");
  std::filesystem::remove(pdf);
}

// Names Windows would take for a device or shorten, a title in the ANSI code page, and a path
// past MAX_PATH: each still gives a PDF under the name the program reports.
TEST_F(ProgramTest, TitlesWindowsWouldMisreadStillGiveAPdf) {
  // A folder deep enough that the PDF's path is longer than MAX_PATH.
  const std::filesystem::path folder = dir_.Path() / std::string(120, 'f') / std::string(120, 'g');
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  Settings({{"SaveAs", kRegSz, "Use source filename, save to a specific folder (automatic)"},
            {"SaveToPath", kRegSz, Utf8FromPath(folder)}});
  wchar_t cafe[8]{};
  ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, "Caf\xE9", 4, cafe, 8), 0);
  const std::string ansiName = Utf8FromWide(cafe);
  const std::string longTitle(200, 'x');
  for (const auto& [title, name] : {std::pair<std::string, std::string>{"CON", "CON_.pdf"},
                                    {"lpt1.draft", "lpt1_.draft.pdf"},
                                    {"Caf\xE9", ansiName + ".pdf"},
                                    {longTitle, longTitle + ".pdf"}}) {
    const ProgramRun run = Run({}, Job(title, 1));
    EXPECT_EQ(run.exitCode, 0U) << title << ": " << run.err;
    const std::filesystem::path pdf = folder / PathFromUtf8(name);
    EXPECT_EQ(run.out, Utf8FromPath(pdf) + "\r\n");
    EXPECT_EQ(test::PageTextsOf(test::ReadFileBytes(pdf)).size(), 1U) << name;
  }
  // A fixed name that ends in a dot and a blank, which Windows would drop behind the program's back.
  Settings({{"AdvFixedFilename", kRegSz, "Summary. "}});
  const ProgramRun run = Run({}, Job("any", 1));
  EXPECT_EQ(run.out, Utf8FromPath(folder / "Summary") + "\r\n") << run.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "Summary"));
  EXPECT_GT(Utf8FromPath(folder / longTitle).size(), std::size_t{MAX_PATH});
  EXPECT_EQ(ansiName.find("\xEF\xBF\xBD"), std::string::npos);  // never U+FFFD
}

TEST_F(ProgramTest, AppendingKeepsTheOldPagesFirst) {
  Settings({{"AdvAppend", kRegSz, "Append to existing"}});
  const std::string title = Title();
  const std::filesystem::path pdf = DesktopFolder() / PathFromUtf8(title + ".pdf");
  ASSERT_EQ(Run({}, Job(title, 1)).exitCode, 0U);
  const std::string firstPage = test::PageTextsOf(test::ReadFileBytes(pdf)).at(0);
  Calls();

  const ProgramRun run = Run({}, Job(title, 2));
  EXPECT_EQ(run.exitCode, 0U) << run.err;
  // The engine read the PDF appended to before the job, and kept its page first.
  const std::vector<std::string> calls = Calls();
  EXPECT_THAT(calls, Contains("read " + Utf8FromPath(pdf) + ", 1 pages"));
  EXPECT_THAT(test::PageTextsOf(test::ReadFileBytes(pdf)),
              ElementsAre(firstPage, title + " page 2", title + " page 3"));
  KeepForQpdf(pdf, "ProgramTest-append.pdf");
  std::filesystem::remove(pdf);
}

TEST_F(ProgramTest, WithoutTheEngineDllTheUserIsToldWhatIsMissing) {
  // A copy of the program in a folder of its own, where no engine DLL lies beside it and no
  // Ghostscript installation is recorded.
  const std::filesystem::path alone = dir_.Path() / "alone";
  std::filesystem::create_directories(alone);
  std::filesystem::copy_file(ProgramFolder() / "vellumor.exe", alone / "vellumor.exe");
  const std::string title = Title();
  const ProgramRun run = Run({}, Job(title, 1), alone / "vellumor.exe");
  EXPECT_EQ(run.exitCode, 1U);
  EXPECT_THAT(Lines(run.err), Contains("vellumor: Error with GS init"));
  // The DLL of the program's own architecture; the test program is built for the same one.
  const std::string dll = sizeof(void*) == 8 ? "gsdll64.dll" : "gsdll32.dll";
  EXPECT_THAT(Lines(run.err),
              Contains(HasSubstr("Ghostscript for Windows is needed to create PDF files, but " + dll +
                                 " was found neither beside the program (" + Utf8FromPath(alone) + ")")));
  EXPECT_THAT(run.out, IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(DesktopFolder() / PathFromUtf8(title + ".pdf")));
}

// Print-files mode makes the product's printer the default, has the shell print each file, and
// puts the previous default back. The "print" verb of a file type of the test's own copies the
// file, so the request can be seen arriving.
TEST_F(ProgramTest, PrintFilesModeHandsTheFilesToTheShellThroughTheProductPrinter) {
  test::InstallTestPrinterDriver();
  ASSERT_TRUE(test::AddTestPrinter("Vellumor", "VellumorPort:"));
  ASSERT_TRUE(test::AddTestPrinter("Office", "LPT1:"));
  const std::string office = "Office," + std::string{test::kTestPrinterDriver} + ",LPT1:";
  test::SetDefaultPrinterEntry(office);
  const std::filesystem::path printed = dir_.Path() / "printed.txt";
  // Registered for the machine: the file types the shell looks up are those of HKEY_CLASSES_ROOT.
  const std::string printKey = "SOFTWARE\\Classes\\VellumorTest.Printable\\shell\\print\\command";
  Registry machine{{}};
  ASSERT_EQ(machine.SetValues(RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\.vellumor-printable",
                              std::vector<RegistryValue>{{"", kRegSz, "VellumorTest.Printable"}}),
            win_error::kSuccess);
  ASSERT_EQ(machine.SetValues(
                RegistryRoot::LocalMachine, printKey,
                std::vector<RegistryValue>{
                    {"", kRegSz, "C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"" + Utf8FromPath(printed) + "\""}}),
            win_error::kSuccess);
  const std::filesystem::path document = dir_.Path() / "letter.vellumor-printable";
  test::WriteFileBytes(document, "Dear reader");
  const std::filesystem::path unprintable = dir_.Path() / "data.vellumor-unknown";
  test::WriteFileBytes(unprintable, "x");

  const ProgramRun run = Run({Utf8FromPath(document), Utf8FromPath(unprintable)}, "");
  // The file nobody can print is reported; the other was requested; the default is back.
  EXPECT_EQ(run.exitCode, 1U) << run.err;
  EXPECT_THAT(run.err, HasSubstr("Cannot print \"" + Utf8FromPath(unprintable) +
                                 "\": no program is registered to print this kind of file."));
  EXPECT_THAT(run.err, Not(HasSubstr(Utf8FromPath(document))));
  EXPECT_THAT(run.out, IsEmpty());
  EXPECT_EQ(test::DefaultPrinterEntry(), office);
  // The shell's handler runs on its own; it is waited for, not assumed done.
  for (int attempt = 0; attempt < 600 && test::ReadFileBytes(printed).empty(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds{100});
  }
  EXPECT_EQ(test::ReadFileBytes(printed), "Dear reader");

  test::SetDefaultPrinterEntry("");
  test::DeleteTestPrinter("Vellumor");
  test::DeleteTestPrinter("Office");
}

}  // namespace
}  // namespace vellumor::platform
