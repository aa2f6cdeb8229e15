// The spooler seam on Wine's spooler: the default printer read and changed through the user's
// profile, a printer's port, and documents handed to the shell's "print" verb. The printers are
// made here on Wine's PostScript driver, which only Wine has.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/PathText.h"
#include "platform/Spooler.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
#include "support/TempDir.h"
// After windows.h: it relies on its types.
#include <winspool.h>

namespace vellumor::platform {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kLongName = "Vellumor Printer With A Name Longer Than Thirty-One";

class WinspoolSpoolerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriver);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"generic.ppd");
    ASSERT_TRUE(::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        << ::GetLastError();
  }

  void SetUp() override {
    AddPrinter("Vellumor", L"VellumorPort:");
    AddPrinter("Office", L"LPT1:");
    AddPrinter(kLongName, L"FILE:");
  }

  void TearDown() override {
    ::WriteProfileStringW(L"windows", L"device", nullptr);
    for (std::string_view name : {std::string_view{"Vellumor"}, std::string_view{"Office"}, kLongName}) {
      std::wstring wide = WideFromUtf8(name);
      HANDLE printer = nullptr;
      PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
      if (::OpenPrinterW(wide.data(), &printer, &access)) {
        ::DeletePrinter(printer);
        ::ClosePrinter(printer);
      }
    }
  }

  static void AddPrinter(std::string_view name, const wchar_t* port) {
    std::wstring wide = WideFromUtf8(name);
    PRINTER_INFO_2W info{};
    info.pPrinterName = wide.data();
    info.pPortName = const_cast<wchar_t*>(port);
    info.pDriverName = const_cast<wchar_t*>(kDriver);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(printer, nullptr) << ::GetLastError();
    ::ClosePrinter(printer);
  }

  static constexpr const wchar_t* kDriver = L"Vellumor Test PostScript";
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
  wchar_t device[256]{};
  ::GetProfileStringW(L"windows", L"device", L"", device, 256);
  EXPECT_EQ(Utf8FromWide(device), "Office,Vellumor Test PostScript,LPT1:");

  // Never cut to the 31 characters of a device-settings name.
  ASSERT_TRUE(spooler_->SetUserDefault(kLongName).Ok());
  EXPECT_EQ(spooler_->Default().name, kLongName);

  // A printer the spooler does not know is refused, and the default stays.
  const PrinterResult refused = spooler_->SetUserDefault("No Such Printer");
  EXPECT_THAT(refused.error, HasSubstr("\"No Such Printer\" cannot be opened"));
  EXPECT_EQ(spooler_->Default().name, kLongName);

  // The profile can name a printer that is gone: named, but not readable.
  ASSERT_TRUE(::WriteProfileStringW(L"windows", L"device", L"Gone,Vellumor Test PostScript,LPT2:"));
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
