// vellumor-printer-setup.exe: what the installer and the uninstaller do to the print system.
//   install <program>  registers the monitor (vellumor-monitor.dll in the system folder), tells it
//                      which program to start, adds its port and the printer "Vellumor" on it
//                      with a PostScript driver the system has
//   remove             removes the printer, the port and the monitor
//   write-defaults     writes the settings' defaults to the product key of the machine, where
//                      every user's settings start from; values already there are kept
//   find-engine        says whether the program will find Ghostscript's DLL (exit code 0) or
//                      what is missing (exit code 1)
// Each step says on standard output what it did; the exit code is 0 only when all went well.

#include "platform/win32/WindowsApi.h"
// After windows.h: it relies on its types.
#include <winspool.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "monitor/win32/MonitorKey.h"
#include "platform/EngineLibrary.h"
#include "platform/Registry.h"
#include "platform/win32/WideText.h"
#include "registry/ProductRegistryKey.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"

namespace {

using namespace vellumor::monitor;

constexpr wchar_t kPrinterName[] = L"Vellumor";
constexpr wchar_t kMonitorDll[] = L"vellumor-monitor.dll";
// The PostScript drivers Windows ships (the class driver since Windows 8, the imagesetter
// before), and Wine's.
constexpr std::array<const wchar_t*, 3> kPostScriptDrivers = {L"Microsoft PS Class Driver", L"MS Publisher Imagesetter",
                                                              L"Wine PostScript Driver"};

void Say(const std::wstring& text) {
  std::fputs((vellumor::platform::Utf8FromWide(text) + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::wstring ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 ? std::wstring{text, length} : std::wstring{};
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return L"error " + std::to_wstring(code) + (message.empty() ? L"" : L": " + message);
}

// The port's own conversation with its monitor, which only an administrator may have.
DWORD PortCommand(const wchar_t* command) {
  std::wstring xcv = std::wstring{L",XcvMonitor "} + kMonitorName;
  PRINTER_DEFAULTSW access{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE monitor = nullptr;
  if (!::OpenPrinterW(xcv.data(), &monitor, &access)) {
    return ::GetLastError();
  }
  DWORD needed = 0;
  DWORD status = ERROR_SUCCESS;
  const BOOL sent = ::XcvDataW(monitor, command, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kPortName)),
                               sizeof(kPortName), nullptr, 0, &needed, &status);
  const DWORD error = sent ? status : ::GetLastError();
  ::ClosePrinter(monitor);
  return error;
}

std::vector<std::wstring> InstalledDrivers() {
  std::vector<std::wstring> names;
  DWORD needed = 0;
  DWORD count = 0;
  ::EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (needed == 0 || !::EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count)) {
    return names;
  }
  for (DWORD i = 0; i < count; ++i) {
    names.emplace_back(reinterpret_cast<DRIVER_INFO_1W*>(buffer.data())[i].pName);
  }
  return names;
}

std::optional<std::wstring> InstalledPostScriptDriver() {
  const std::vector<std::wstring> installed = InstalledDrivers();
  for (const wchar_t* driver : kPostScriptDrivers) {
    for (const std::wstring& name : installed) {
      if (::CompareStringOrdinal(name.c_str(), -1, driver, -1, TRUE) == CSTR_EQUAL) {
        return name;
      }
    }
  }
  return std::nullopt;
}

// Wine's driver reads the printer's description from the driver folder. A fresh Wine without
// printers of its own has its generic description only inside winspool.drv: it is put where
// adding the driver copies it from.
void PlaceWineGenericDescription() {
  wchar_t folder[MAX_PATH]{};
  DWORD needed = 0;
  if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed)) {
    return;
  }
  const std::wstring path = std::wstring{folder} + L"\\generic.ppd";
  const HMODULE winspool = ::GetModuleHandleW(L"winspool.drv");
  const HRSRC resource = winspool != nullptr ? ::FindResourceW(winspool, MAKEINTRESOURCEW(1), L"PPDFILE") : nullptr;
  const HGLOBAL loaded = resource != nullptr ? ::LoadResource(winspool, resource) : nullptr;
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr || ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return;
  }
  const HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, bytes, ::SizeofResource(winspool, resource), &written, nullptr);
    ::CloseHandle(file);
  }
}

// Windows keeps its class driver in the driver store until a printer needs it; Wine (which says
// so through ntdll) has its own driver built in, registered when a printer first needs it.
void InstallPostScriptDriver() {
  using InstallFromPackage = HRESULT(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, DWORD);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr) {
    PlaceWineGenericDescription();
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kPostScriptDrivers[2]);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"generic.ppd");
    ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    return;
  }
  if (const HMODULE winspool = ::GetModuleHandleW(L"winspool.drv")) {
    if (const auto install = reinterpret_cast<InstallFromPackage>(
            reinterpret_cast<void*>(::GetProcAddress(winspool, "InstallPrinterDriverFromPackageW")))) {
      install(nullptr, nullptr, kPostScriptDrivers[0], nullptr, 0);
    }
  }
}

bool AddProductPrinter(const std::wstring& driver) {
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<wchar_t*>(kPrinterName);
  info.pPortName = const_cast<wchar_t*>(kPortName);
  info.pDriverName = const_cast<wchar_t*>(driver.c_str());
  info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  info.pComment = const_cast<wchar_t*>(L"Saves what is printed as a PDF file");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer != nullptr) {
    ::ClosePrinter(printer);
    Say(L"added the printer \"Vellumor\" on " + std::wstring{kPortName} + L" with the driver \"" + driver + L"\"");
    return true;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_PRINTER_ALREADY_EXISTS) {
    Say(L"the printer \"Vellumor\" is there already");
    return true;
  }
  Say(L"the printer \"Vellumor\" cannot be added: " + ErrorText(error));
  return false;
}

int Install(const std::wstring& program) {
  MONITOR_INFO_2W monitor{};
  monitor.pName = const_cast<wchar_t*>(kMonitorName);
  monitor.pDLLName = const_cast<wchar_t*>(kMonitorDll);
  if (::AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&monitor))) {
    Say(L"registered the print monitor \"Vellumor\"");
  } else if (const DWORD error = ::GetLastError(); error == ERROR_PRINT_MONITOR_ALREADY_INSTALLED) {
    Say(L"the print monitor \"Vellumor\" is registered already");
  } else {
    Say(L"the print monitor cannot be registered: " + ErrorText(error));
    return 1;
  }
  const LSTATUS written = ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMonitorKey, kProgramValue, REG_SZ, program.c_str(),
                                            static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));
  if (written != ERROR_SUCCESS) {
    Say(L"the port cannot be told which program to start: " + ErrorText(static_cast<DWORD>(written)));
    return 1;
  }
  if (const DWORD error = PortCommand(L"AddPort"); error != ERROR_SUCCESS) {
    Say(L"the port " + std::wstring{kPortName} + L" cannot be added: " + ErrorText(error));
    return 1;
  }
  Say(L"added the port " + std::wstring{kPortName} + L", which starts " + program);
  std::optional<std::wstring> driver = InstalledPostScriptDriver();
  if (!driver) {
    InstallPostScriptDriver();
    driver = InstalledPostScriptDriver();
  }
  if (!driver) {
    Say(L"this system has no PostScript printer driver (\"Microsoft PS Class Driver\" on Windows 8 and later)");
    return 1;
  }
  return AddProductPrinter(*driver) ? 0 : 1;
}

int Remove() {
  int status = 0;
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (::OpenPrinterW(const_cast<wchar_t*>(kPrinterName), &printer, &access)) {
    if (::DeletePrinter(printer)) {
      Say(L"removed the printer \"Vellumor\"");
    } else {
      Say(L"the printer \"Vellumor\" cannot be removed: " + ErrorText(::GetLastError()));
      status = 1;
    }
    ::ClosePrinter(printer);
  }
  if (const DWORD error = PortCommand(L"DeletePort"); error == ERROR_SUCCESS) {
    Say(L"removed the port " + std::wstring{kPortName});
  }
  if (::DeleteMonitorW(nullptr, nullptr, const_cast<wchar_t*>(kMonitorName))) {
    Say(L"removed the print monitor \"Vellumor\"");
  } else if (const DWORD error = ::GetLastError(); error != ERROR_UNKNOWN_PRINT_MONITOR) {
    Say(L"the print monitor \"Vellumor\" cannot be removed: " + ErrorText(error));
    status = 1;
  }
  return status;
}

int WriteDefaults() {
  using vellumor::platform::RegistryRoot;
  using vellumor::platform::RegistryValue;
  vellumor::platform::Registry registry{vellumor::platform::Registry::DefaultFolder()};
  std::vector<RegistryValue> present;
  registry.ListValues(RegistryRoot::LocalMachine, vellumor::registry::kProductKeyPath, present);
  std::vector<RegistryValue> missing;
  for (const auto& [name, text] :
       vellumor::settings::SettingsAsRegistryTexts(vellumor::settings::DefaultSettings(""))) {
    // The folder to save to starts as each user's own, which the machine cannot name.
    if (name == "SaveToPath") {
      continue;
    }
    const bool there =
        std::any_of(present.begin(), present.end(), [&](const RegistryValue& value) { return value.name == name; });
    if (!there) {
      missing.push_back(RegistryValue{std::string{name}, vellumor::platform::kRegSz, text});
    }
  }
  if (missing.empty()) {
    Say(L"the machine's default settings are in place already");
    return 0;
  }
  const long status = registry.SetValues(RegistryRoot::LocalMachine, vellumor::registry::kProductKeyPath, missing);
  if (status != vellumor::platform::win_error::kSuccess) {
    Say(L"the machine's default settings cannot be written: " + ErrorText(static_cast<DWORD>(status)));
    return 1;
  }
  Say(L"wrote " + std::to_wstring(missing.size()) + L" default settings for every user of this computer");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc >= 2 ? argv[1] : L"";
  if (command == L"install" && argc == 3) {
    return Install(argv[2]);
  }
  if (command == L"remove" && argc == 2) {
    return Remove();
  }
  if (command == L"write-defaults" && argc == 2) {
    return WriteDefaults();
  }
  if (command == L"find-engine" && argc == 2) {
    std::string error;
    if (vellumor::platform::PrepareEngineLibrary(error)) {
      return 0;
    }
    std::fputs((error + "\n").c_str(), stdout);
    return 1;
  }
  std::fputs("usage: vellumor-printer-setup install <program> | remove | write-defaults | find-engine\n", stderr);
  return 2;
}
