// Print-files mode against a scheduler of the test's own, with the product's printer installed
// by the install script. The queues are stopped, so every request stays visible where it landed;
// the waits are counted instead of slept.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Spooler.h"
#include "printer/DefaultPrinter.h"
#include "printer/PrintFilesMode.h"
#include "printer/ProductPrinter.h"
#include "printer/support/UserCupsTest.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

namespace vellumor::printer {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// Passes everything on, but refuses to change the default once `allowedChanges` were made, and
// can keep reporting the default it started with: the real scheduler cannot be made to fail
// the restore after the switch worked, nor to hide a switch that worked.
class ChangeLimitedPrinters final : public platform::Spooler {
 public:
  ChangeLimitedPrinters(platform::Spooler& real, int allowedChanges, bool defaultStuck = false)
      : real_{real}, allowed_{allowedChanges}, stuck_{defaultStuck ? std::optional{real.Default()} : std::nullopt} {}
  platform::DefaultDestination Default() override { return stuck_ ? *stuck_ : real_.Default(); }
  std::optional<std::string> Port(std::string_view printer) override { return real_.Port(printer); }
  platform::PrinterResult SetUserDefault(std::string_view printer) override {
    return allowed_-- > 0 ? real_.SetUserDefault(printer) : platform::PrinterResult{"lpoptions is not writable"};
  }
  platform::PrinterResult ClearUserDefault() override {
    return allowed_-- > 0 ? real_.ClearUserDefault() : platform::PrinterResult{"lpoptions is not writable"};
  }
  platform::PrinterResult PrintFile(std::string_view printer, const std::filesystem::path& file, std::string_view title,
                                    const platform::JobOptions& options) override {
    return real_.PrintFile(printer, file, title, options);
  }

 private:
  platform::Spooler& real_;
  int allowed_;
  std::optional<platform::DefaultDestination> stuck_;
};

class PrintFilesModeTest : public test::UserCupsTest {
 protected:
  static void SetUpTestSuite() {
    if (!StartCups()) {
      return;
    }
    const test::ProcessResult installed =
        cups_->InstallProductPrinter(test::SharedProgramCopy(cups_->Folder() / "program", VELLUMOR_BINARY));
    if (installed.exitCode != 0) {
      StopCups("install-printer.sh failed: " + installed.err);
      return;
    }
    cups_->AddPlainPrinter("Office");
    cups_->AddPlainPrinter("Desk");
    cups_->Run({"lpadmin", "-p", "Archive", "-E", "-v", std::string{platform::ProductPrinterPort()}, "-m",
                "drv:///sample.drv/generic.ppd"});
    cups_->Run({"cupsdisable", "Vellumor", "Office", "Desk", "Archive"});
  }

  void SetUp() override {
    UserCupsTest::SetUp();
    if (IsSkipped()) {
      return;
    }
    cups_->Run({"cancel", "-a", "-x"});
    for (const char* name : {"first.txt", "second.txt"}) {
      test::WriteFileBytes(files_ / name, std::string{"The file "} + name + "\n");
    }
  }

  PrintFilesReport Run(const std::vector<FileArgument>& files, bool filesLeftOut = false) {
    return Run(*printers_, files, filesLeftOut);
  }
  PrintFilesReport Run(platform::Spooler& printers, const std::vector<FileArgument>& files, bool filesLeftOut = false) {
    PrintFilesPacing pacing{[this](std::chrono::milliseconds step) {
      EXPECT_EQ(step.count(), 100);
      ++steps_;
    }};
    return PrintFilesMode{printers, ui_, pacing}.Run(files, filesLeftOut);
  }
  FileArgument File(const char* name) const { return {(files_ / name).string(), false}; }

  test::ScriptedInteraction ui_;
  test::TempDir files_;
  int steps_{0};
};

TEST_F(PrintFilesModeTest, SwitchesToTheProductPrinterAndBack) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  const PrintFilesReport report = Run({File("first.txt"), File("second.txt")});
  EXPECT_EQ(report.queued, 2);
  EXPECT_EQ(report.notPrinted, 0);
  EXPECT_THAT(cups_->Jobs("Vellumor"), SizeIs(2));
  EXPECT_THAT(cups_->Jobs("Office"), IsEmpty());
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
  EXPECT_THAT(ui_.messages, IsEmpty());
  // One second until the switch shows, five for the requests, one before the end; the windows
  // are served after every 100 ms.
  EXPECT_EQ(steps_, 70);
  EXPECT_EQ(ui_.pumps, 70);
}

TEST_F(PrintFilesModeTest, DefaultOnTheProductPortIsKept) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Archive"), 0);
  const std::string before = Lpoptions();
  const PrintFilesReport report = Run({File("first.txt")});
  EXPECT_EQ(report.queued, 1);
  EXPECT_THAT(cups_->Jobs("Archive"), SizeIs(1));
  EXPECT_THAT(cups_->Jobs("Vellumor"), IsEmpty());
  EXPECT_EQ(Lpoptions(), before);
  EXPECT_EQ(steps_, 60);
}

TEST_F(PrintFilesModeTest, NoDefaultBeforeLeavesNoDefaultAfter) {
  ASSERT_EQ(GetDefaultPrinterName(*printers_), "");
  EXPECT_EQ(Run({File("first.txt")}).queued, 1);
  EXPECT_THAT(cups_->Jobs("Vellumor"), SizeIs(1));
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");

  // A default that names a printer which is gone does not come back as the product's printer.
  cups_->AddPlainPrinter("Temporary");
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Temporary"), 0);
  cups_->Run({"lpadmin", "-x", "Temporary"});
  ASSERT_EQ(GetDefaultPrinterName(*printers_), kPrinterNotSet);
  EXPECT_EQ(Run({File("second.txt")}).queued, 1);
  EXPECT_THAT(cups_->Jobs("Vellumor"), SizeIs(2));
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");
}

TEST_F(PrintFilesModeTest, BadArgumentsAreReportedAndTheRestIsPrinted) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  const std::string missing = (files_ / "missing.txt").string();
  const PrintFilesReport report = Run({{missing, false},
                                       {"", false},
                                       File("first.txt"),
                                       {files_.Path().string(), false},
                                       {(files_ / "second").string(), true},
                                       File("second.txt")},
                                      true);
  EXPECT_EQ(report.queued, 2);
  EXPECT_EQ(report.notPrinted, 4);
  EXPECT_THAT(cups_->Jobs("Vellumor"), SizeIs(2));
  EXPECT_THAT(ui_.MessageTexts(),
              ElementsAre("Cannot print \"" + missing + "\": the file does not exist.",
                          "Cannot print \"" + files_.Path().string() + "\": it is not a file that can be read.",
                          HasSubstr("too long"), HasSubstr("more files than can be taken")));
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
}

TEST_F(PrintFilesModeTest, RequestsTheServerRefusesAreReported) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  cups_->Run({"cupsreject", "Vellumor"});
  const PrintFilesReport report = Run({File("first.txt"), File("second.txt")});
  cups_->Run({"cupsaccept", "Vellumor"});
  EXPECT_EQ(report.queued, 0);
  EXPECT_EQ(report.notPrinted, 2);
  EXPECT_THAT(ui_.messages, SizeIs(2));
  EXPECT_THAT(cups_->Jobs("Office"), IsEmpty());
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
}

TEST_F(PrintFilesModeTest, WithoutTheProductPrinterNothingGoesElsewhere) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  // The switch never shows.
  ChangeLimitedPrinters printers{*printers_, 2, true};
  const PrintFilesReport report = Run(printers, {File("first.txt"), {"", false}, File("second.txt")});
  EXPECT_EQ(report.queued, 0);
  EXPECT_EQ(report.notPrinted, 2);
  EXPECT_THAT(cups_->Jobs("Office"), IsEmpty());
  EXPECT_THAT(cups_->Jobs("Vellumor"), IsEmpty());
  EXPECT_THAT(ui_.MessageTexts(), ElementsAre(HasSubstr("\"Vellumor\" is not installed")));
  // Eight seconds of waiting for the switch, then one before the end.
  EXPECT_EQ(steps_, 90);
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
}

TEST_F(PrintFilesModeTest, ASessionsPrinterChoiceLeavesTheSavedDefaultAlone) {
  for (const char* variable : {"LPDEST", "PRINTER"}) {
    SCOPED_TRACE(variable);
    ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
    ::setenv(variable, "Desk", 1);
    const PrintFilesReport report = Run({File("first.txt")});
    ::unsetenv(variable);
    EXPECT_EQ(report.queued, 1);
    EXPECT_THAT(cups_->Jobs("Desk"), IsEmpty());
    EXPECT_THAT(Lpoptions(), HasSubstr("Default Office"));
    EXPECT_THAT(ui_.messages, IsEmpty());
  }
  EXPECT_THAT(cups_->Jobs("Vellumor"), SizeIs(2));
}

TEST_F(PrintFilesModeTest, FailedRestoreIsReported) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  ChangeLimitedPrinters printers{*printers_, 1};
  EXPECT_EQ(Run(printers, {File("first.txt")}).queued, 1);
  EXPECT_THAT(ui_.MessageTexts(), ElementsAre("The default printer could not be set back to \"Office\"."));
}

}  // namespace
}  // namespace vellumor::printer
