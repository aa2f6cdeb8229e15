// vellumor.exe with its windows under Wine on a display of its own, worked as a person would:
// started with no job it is the settings editor; with a job in a manual save mode "&Create PDF"
// writes the PDF, the completion window and the overwrite question come as on Linux, and "Cancel"
// keeps the settings and ends the program. The stand-in engine DLL beside it makes the PDFs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Environment.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"
#include "standin/MinimalPdf.h"
#include "support/ProgramProcess.h"
#include "support/TempDir.h"
#include "support/WindowDriver.h"

namespace vellumor::platform {
namespace {

using test::kWindowPatience;
using test::PressButton;
using test::WaitForWindow;
using test::WaitUntil;
using ::testing::ElementsAre;

constexpr std::string_view kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";
constexpr std::wstring_view kMainCaption = L"Vellumor v1.06";
constexpr int kCreatePdf = 1;
constexpr int kCancel = 2;
constexpr int kFileName = 1014;
constexpr int kAdvanced = 1015;
constexpr int kSaveTo = 1006;
constexpr int kPickerEdit = 14148;
constexpr int kAbout = 16;

class ProgramWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_REGISTRY", Utf8FromPath(registry_.Folder())));
    ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_STANDIN_RECORD", Utf8FromPath(dir_ / "engine-calls.txt")));
  }
  void TearDown() override { DeletePrivateRegistry(registry_.Folder()); }

  void Settings(std::vector<RegistryValue> values) {
    ASSERT_EQ(registry_.SetValues(RegistryRoot::LocalMachine, kProductKey, values), win_error::kSuccess);
  }
  std::string Setting(std::string_view name) {
    std::vector<RegistryValue> values;
    // The program writes the settings to the user's own layer; the machine's holds the defaults.
    registry_.ListValues(platform::UserSettingsRoot(), kProductKey, values);
    for (const RegistryValue& value : values) {
      if (value.name == name) {
        return value.data;
      }
    }
    return "<missing>";
  }

  std::unique_ptr<test::ProgramProcess> Start(const std::vector<std::string>& arguments, std::string_view job) {
    return std::make_unique<test::ProgramProcess>(ProgramFolder() / "vellumor.exe", arguments, job, dir_.Path());
  }

  static std::string Job(const std::string& title) { return "%!PS-Adobe-3.0\n%%Title: " + title + "\nshowpage\n"; }

  test::TempDir dir_;
  Registry registry_{dir_.Path() / "registry"};
};

TEST_F(ProgramWindowsTest, WithoutAJobTheMainWindowEditsTheSettingsAndCancelKeepsThem) {
  const auto program = Start({}, "");
  ASSERT_TRUE(program->Started());
  HWND main = WaitForWindow(kMainCaption, program->Id());
  ASSERT_NE(main, nullptr) << program->Errors();
  EXPECT_THAT(test::Caption(main), ::testing::StartsWith(L"Vellumor v1.06     "));
  // Settings mode: no file name and nothing to create.
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, kCreatePdf)));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, kFileName)));
  test::Screenshot(main, "main-settings");

  // The About window from the system menu, and the Advanced window from its button.
  ::PostMessageW(main, WM_SYSCOMMAND, kAbout, 0);
  HWND about = WaitForWindow(L"About Vellumor", program->Id(), true);
  ASSERT_NE(about, nullptr);
  test::Screenshot(about, "about");
  PressButton(about, 1);
  ASSERT_TRUE(WaitUntil([about] { return !::IsWindowVisible(about); }));
  PressButton(main, kAdvanced);
  HWND advanced = WaitForWindow(L"Advanced", program->Id(), true);
  ASSERT_NE(advanced, nullptr);
  test::Screenshot(advanced, "advanced");
  PressButton(advanced, kCancel);
  ASSERT_TRUE(WaitUntil([advanced] { return !::IsWindowVisible(advanced); }));

  ASSERT_TRUE(PressButton(main, kCancel));
  EXPECT_EQ(program->WaitForExit(kWindowPatience), std::optional<DWORD>{0}) << program->Errors();
  // The settings were kept, the defaults among them.
  EXPECT_EQ(Setting("SaveAs"), "Save to users Desktop (automatic)");
}

// Choosing a save mode with a folder of its own opens the folder picker; a folder typed into its
// edit field that does not exist yet is made when the user agrees, and becomes the folder.
TEST_F(ProgramWindowsTest, TheFolderPickerTakesATypedFolderAndMakesIt) {
  const std::filesystem::path folder = dir_.Path() / PathFromUtf8("Relat\xC3\xB3rios") / "2026";
  const auto program = Start({}, "");
  HWND main = WaitForWindow(kMainCaption, program->Id());
  ASSERT_NE(main, nullptr) << program->Errors();
  HWND saveTo = ::GetDlgItem(main, kSaveTo);
  ::SendMessageW(saveTo, CB_SETCURSEL, 4, 0);
  ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(kSaveTo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(saveTo));
  HWND picker = WaitForWindow(L"Save to path...", program->Id(), true);
  ASSERT_NE(picker, nullptr);
  const std::wstring typed = folder.native();
  ::SendMessageW(::GetDlgItem(picker, kPickerEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  test::Screenshot(picker, "folder-picker");
  PressButton(picker, IDOK);
  HWND question = WaitForWindow(L"Vellumor", program->Id(), true);
  ASSERT_NE(question, nullptr);
  PressButton(question, IDYES);
  ASSERT_TRUE(WaitUntil([picker] { return !::IsWindow(picker); }));
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  ASSERT_TRUE(PressButton(main, kCancel));
  EXPECT_EQ(program->WaitForExit(kWindowPatience), std::optional<DWORD>{0}) << program->Errors();
  EXPECT_EQ(Setting("SaveToPath"), Utf8FromPath(folder));
  EXPECT_EQ(Setting("SaveAs"), "Use source filename, save to a specific folder (manual)");
}

// The document name comes from the command line with letters outside ASCII, and names the PDF.
TEST_F(ProgramWindowsTest, CreatePdfWritesTheJobAsThePdfTheWindowNames) {
  const std::filesystem::path folder = dir_ / "out";
  std::filesystem::create_directories(folder);
  Settings({{"SaveAs", kRegSz, "Use source filename, save to a specific folder (manual)"},
            {"SaveToPath", kRegSz, Utf8FromPath(folder)},
            {"AfterCreation", kRegSz, "Display completed"},
            {"AdvAskOverwrite", kRegSz, "1"},
            {"AdvSheafwrightFilename", kRegSz, "1"}});
  const std::string name = "Relat\xC3\xB3rio \xC3\x9C";
  const std::filesystem::path pdf = folder / PathFromUtf8(name + ".pdf");
  const auto program = Start({"-b" + name + ".doc"}, Job("Quarterly"));
  HWND main = WaitForWindow(kMainCaption, program->Id());
  ASSERT_NE(main, nullptr) << program->Errors();
  HWND fileName = ::GetDlgItem(main, kFileName);
  EXPECT_EQ(Utf8FromWide(test::Caption(fileName)), name + ".pdf");
  test::Screenshot(main, "main-job");

  ASSERT_TRUE(PressButton(main, kCreatePdf));
  HWND completion = WaitForWindow(L"Vellumor - PDF Output", program->Id(), true);
  ASSERT_NE(completion, nullptr) << program->Errors();
  test::Screenshot(completion, "completion");
  EXPECT_THAT(test::PageTextsOf(test::ReadFileBytes(pdf)), ElementsAre("Quarterly page 1"));
  PressButton(completion, 2);  // "No": nothing opens
  ASSERT_TRUE(WaitUntil([completion] { return !::IsWindow(completion) || !::IsWindowVisible(completion); }));

  // A second press finds the PDF there and asks; "No" leaves it as it was. The button is back in
  // the place of the progress bar once the conversion has ended.
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(pdf);
  HWND createPdf = ::GetDlgItem(main, kCreatePdf);
  ASSERT_TRUE(WaitUntil([createPdf] { return ::IsWindowVisible(createPdf) != FALSE; }));
  ASSERT_TRUE(PressButton(main, kCreatePdf));
  HWND question = WaitForWindow(L"Vellumor", program->Id(), true);
  ASSERT_NE(question, nullptr) << program->Errors();
  test::Screenshot(question, "overwrite-question");
  PressButton(question, IDNO);
  ASSERT_TRUE(WaitUntil([question] { return !::IsWindow(question); }));
  EXPECT_EQ(std::filesystem::last_write_time(pdf), written);
  EXPECT_EQ(WaitForWindow(L"Vellumor - PDF Output", program->Id(), true, std::chrono::milliseconds{500}), nullptr);

  ASSERT_TRUE(PressButton(main, kCancel));
  EXPECT_EQ(program->WaitForExit(kWindowPatience), std::optional<DWORD>{0}) << program->Errors();
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

}  // namespace
}  // namespace vellumor::platform
