// The spooler seam on Wine's spooler: the default printer read and changed through the user's
// profile, a printer's port, and documents handed to the shell's "print" verb. The printers are
// made here on Wine's PostScript driver, which only Wine has.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Spooler.h"
#include "support/TempDir.h"
#include "support/WinePrinters.h"

namespace vellumor::platform {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kLongName = "Vellumor Printer With A Name Longer Than Thirty-One";

class WinspoolSpoolerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::InstallTestPrinterDriver(); }
  void SetUp() override {
    ASSERT_TRUE(test::AddTestPrinter("Vellumor", "VellumorPort:"));
    ASSERT_TRUE(test::AddTestPrinter("Office", "LPT1:"));
    ASSERT_TRUE(test::AddTestPrinter(kLongName, "FILE:"));
  }
  void TearDown() override {
    test::SetDefaultPrinterEntry("");
    for (std::string_view name : {std::string_view{"Vellumor"}, std::string_view{"Office"}, kLongName}) {
      test::DeleteTestPrinter(name);
    }
  }

  std::unique_ptr<Spooler> spooler_ = MakeSystemSpooler();
};

TEST_F(WinspoolSpoolerTest, TheDefaultPrinterIsReadAndChangedByItsFullName) {
  ASSERT_TRUE(spooler_->ClearUserDefault().Ok());
  EXPECT_EQ(spooler_->Default().state, DefaultDestination::State::None);

  ASSERT_TRUE(spooler_->SetUserDefault("Office").Ok());
  DefaultDestination found = spooler_->Default();
  EXPECT_EQ(found.state, DefaultDestination::State::Found);
  EXPECT_EQ(found.name, "Office");
  // Written as the profile's entry holds a default: name, driver, port.
  EXPECT_EQ(test::DefaultPrinterEntry(), "Office,Vellumor Test PostScript,LPT1:");

  // Never cut to the 31 characters of a device-settings name.
  ASSERT_TRUE(spooler_->SetUserDefault(kLongName).Ok());
  EXPECT_EQ(spooler_->Default().name, kLongName);

  // A printer the spooler does not know is refused, and the default stays.
  const PrinterResult refused = spooler_->SetUserDefault("No Such Printer");
  EXPECT_THAT(refused.error, HasSubstr("\"No Such Printer\" cannot be opened"));
  EXPECT_EQ(spooler_->Default().name, kLongName);

  // The profile can name a printer that is gone: named, but not readable.
  test::SetDefaultPrinterEntry("Gone,Vellumor Test PostScript,LPT2:");
  found = spooler_->Default();
  EXPECT_EQ(found.state, DefaultDestination::State::Unreadable);
  EXPECT_EQ(found.name, "Gone");

  ASSERT_TRUE(spooler_->ClearUserDefault().Ok());
  EXPECT_EQ(spooler_->Default().state, DefaultDestination::State::None);
}

TEST_F(WinspoolSpoolerTest, ThePortNamesTheProductsPrinter) {
  EXPECT_EQ(spooler_->Port("Vellumor"), std::string{ProductPrinterPort()});
  EXPECT_EQ(spooler_->Port("Office"), "LPT1:");
  EXPECT_EQ(spooler_->Port("No Such Printer"), std::nullopt);
}

TEST_F(WinspoolSpoolerTest, DocumentsThatCannotBePrintedSayWhy) {
  test::TempDir dir;
  EXPECT_THAT(spooler_->PrintFile("Vellumor", dir / "missing.txt", "missing.txt", {}).error,
              HasSubstr("does not exist"));
  const std::filesystem::path unknown = dir / "data.vellumor-unknown";
  test::WriteFileBytes(unknown, "x");
  EXPECT_THAT(spooler_->PrintFile("Vellumor", unknown, "data", {}).error, HasSubstr("no program is registered"));
}

}  // namespace
}  // namespace vellumor::platform
