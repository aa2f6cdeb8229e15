// The default printer and printer ports on libcups, against a scheduler of the test's own: the
// test process is the user here, with a home of its own for its lpoptions file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Spooler.h"
#include "printer/DefaultPrinter.h"
#include "printer/ProductPrinter.h"
#include "printer/support/UserCupsTest.h"

namespace vellumor::printer {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class CupsSpoolerTest : public test::UserCupsTest {
 protected:
  static void SetUpTestSuite() {
    if (StartCups()) {
      cups_->AddPlainPrinter("Office");
    }
  }
};

TEST_F(CupsSpoolerTest, DefaultPrinterAndItsPort) {
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");
  EXPECT_EQ(GetPrinterPortName(*printers_, ""), "");

  // The user's own options for a printer survive changes of the default.
  cups_->Run({"lpoptions", "-p", "Office", "-o", "sides=two-sided-long-edge"});
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
  EXPECT_EQ(GetPrinterPortName(*printers_, "Office"), "file:///dev/null");
  EXPECT_THAT(Lpoptions(), HasSubstr("Default Office"));
  EXPECT_THAT(Lpoptions(), HasSubstr("sides=two-sided-long-edge"));

  ASSERT_TRUE(printers_->ClearUserDefault().Ok());
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");
  EXPECT_THAT(Lpoptions(), Not(HasSubstr("Default")));
  EXPECT_THAT(Lpoptions(), HasSubstr("sides=two-sided-long-edge"));
}

TEST_F(CupsSpoolerTest, LongNamesAreKeptWhole) {
  const std::string name = "Second_floor_colour_laser_next_to_the_kitchen";
  cups_->AddPlainPrinter(name);
  ASSERT_EQ(SetDefaultPrinter(*printers_, name), 0);
  EXPECT_EQ(GetDefaultPrinterName(*printers_), name);
  EXPECT_EQ(GetPrinterPortName(*printers_, GetDefaultPrinterName(*printers_)), "file:///dev/null");
  cups_->Run({"lpadmin", "-x", name});
}

TEST_F(CupsSpoolerTest, UnknownPrinterChangesNothing) {
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
  EXPECT_EQ(SetDefaultPrinter(*printers_, "Nowhere"), 1);
  EXPECT_EQ(SetDefaultPrinter(*printers_, ""), 1);
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office");
  EXPECT_EQ(GetPrinterPortName(*printers_, "Nowhere"), "");
}

TEST_F(CupsSpoolerTest, DefaultNamingAMissingPrinterIsNotSet) {
  cups_->AddPlainPrinter("Temporary");
  ASSERT_EQ(SetDefaultPrinter(*printers_, "Temporary"), 0);
  cups_->Run({"lpadmin", "-x", "Temporary"});
  EXPECT_EQ(GetDefaultPrinterName(*printers_), kPrinterNotSet);
  EXPECT_EQ(GetPrinterPortName(*printers_, "Temporary"), "");

  ASSERT_TRUE(printers_->ClearUserDefault().Ok());
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");
}

TEST_F(CupsSpoolerTest, TheDefaultIsTheSavedOneNotTheSessionsChoice) {
  // Without a default of the user's own, the scheduler's counts.
  cups_->AddPlainPrinter("Shared");
  cups_->Run({"lpadmin", "-d", "Shared"});
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "Shared");
  cups_->Run({"lpadmin", "-x", "Shared"});
  EXPECT_EQ(GetDefaultPrinterName(*printers_), "");

  // LPDEST and PRINTER pick a printer for one session; they are not what is saved.
  for (const char* variable : {"LPDEST", "PRINTER"}) {
    ::setenv(variable, "Gone", 1);
    EXPECT_EQ(GetDefaultPrinterName(*printers_), "") << variable;
    ASSERT_EQ(SetDefaultPrinter(*printers_, "Office"), 0);
    ::setenv(variable, "Nowhere", 1);
    EXPECT_EQ(GetDefaultPrinterName(*printers_), "Office") << variable;
    EXPECT_THAT(Lpoptions(), HasSubstr("Default Office"));
    ASSERT_TRUE(printers_->ClearUserDefault().Ok());
    EXPECT_THAT(Lpoptions(), Not(HasSubstr("Default")));
    ::unsetenv(variable);
  }
}

TEST_F(CupsSpoolerTest, PrintingQueuesAJobOrSaysWhyNot) {
  const test::TempDir folder;
  const std::filesystem::path file = folder / "note.txt";
  test::WriteFileBytes(file, "A note\n");
  cups_->AddPlainPrinter("Held");
  cups_->Run({"cupsdisable", "Held"});

  const platform::PrinterResult queued = printers_->PrintFile("Held", file, "note.txt", {});
  ASSERT_TRUE(queued.Ok()) << queued.error;
  EXPECT_GT(queued.jobId, 0);
  EXPECT_THAT(cups_->Jobs("Held"), ::testing::ElementsAre("Held-" + std::to_string(queued.jobId)));

  cups_->Run({"cupsreject", "Held"});
  EXPECT_THAT(printers_->PrintFile("Held", file, "note.txt", {}).error, Not(IsEmpty()));
  EXPECT_THAT(printers_->PrintFile("Nowhere", file, "note.txt", {}).error, Not(IsEmpty()));
  cups_->Run({"lpadmin", "-x", "Held"});
}

}  // namespace
}  // namespace vellumor::printer
