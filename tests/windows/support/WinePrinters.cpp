#include "support/WinePrinters.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: it relies on its types.
#include <winspool.h>

namespace vellumor::test {

using platform::WideFromUtf8;

void InstallTestPrinterDriver() {
  std::wstring name = WideFromUtf8(kTestPrinterDriver);
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = name.data();
  driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
  driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDataFile = const_cast<wchar_t*>(L"generic.ppd");
  ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
}

bool AddTestPrinter(std::string_view name, std::string_view port) {
  std::wstring printerName = WideFromUtf8(name);
  std::wstring portName = WideFromUtf8(port);
  std::wstring driver = WideFromUtf8(kTestPrinterDriver);
  PRINTER_INFO_2W info{};
  info.pPrinterName = printerName.data();
  info.pPortName = portName.data();
  info.pDriverName = driver.data();
  info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer == nullptr) {
    return ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
  }
  ::ClosePrinter(printer);
  return true;
}

void DeleteTestPrinter(std::string_view name) {
  std::wstring wide = WideFromUtf8(name);
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (::OpenPrinterW(wide.data(), &printer, &access)) {
    ::DeletePrinter(printer);
    ::ClosePrinter(printer);
  }
}

std::string DefaultPrinterEntry() {
  wchar_t device[1024]{};
  ::GetProfileStringW(L"windows", L"device", L"", device, 1024);
  return platform::Utf8FromWide(device);
}

void SetDefaultPrinterEntry(std::string_view entry) {
  ::WriteProfileStringW(L"windows", L"device", entry.empty() ? nullptr : WideFromUtf8(entry).c_str());
}

}  // namespace vellumor::test
