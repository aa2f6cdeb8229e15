// The printing system on Windows: the spooler for the default printer and a printer's port, the
// user's profile entry "windows"/"device" for the default printer, and the shell's "print" verb,
// which has the program registered for a document's type print it to the default printer. Every
// call opens what it needs and closes it before returning: other programs change printers and
// the default while this one runs.

#include <vector>

#include "platform/Spooler.h"
#include "platform/SystemEvents.h"
#include "platform/win32/ComApartment.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: these rely on its types.
#include <shellapi.h>
#include <winspool.h>

namespace vellumor::platform {
namespace {

// Programs that keep their own list of printers reread it on this broadcast. A window that does
// not answer within the time is skipped, a hung one at once.
constexpr UINT kPrinterChangeTimeoutMs = 2000;

class PrinterHandle final {
 public:
  explicit PrinterHandle(std::string_view printer) {
    std::wstring name = WideFromUtf8(printer);
    if (!::OpenPrinterW(name.data(), &handle_, nullptr)) {
      error_ = static_cast<long>(::GetLastError());
      handle_ = nullptr;
    }
  }
  ~PrinterHandle() {
    if (handle_ != nullptr) {
      ::ClosePrinter(handle_);
    }
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;

  bool Opened() const { return handle_ != nullptr; }
  long Error() const { return error_; }

  // The printer's level-2 information, kept in `block`; nothing with the error in `error`.
  const PRINTER_INFO_2W* Details(std::vector<BYTE>& block, long& error) const {
    DWORD needed = 0;
    ::GetPrinterW(handle_, 2, nullptr, 0, &needed);
    if (needed == 0) {
      error = static_cast<long>(::GetLastError());
      return nullptr;
    }
    block.assign(needed, 0);
    if (!::GetPrinterW(handle_, 2, block.data(), needed, &needed)) {
      error = static_cast<long>(::GetLastError());
      return nullptr;
    }
    return reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
  }

 private:
  HANDLE handle_{nullptr};
  long error_{ERROR_SUCCESS};
};

std::string Quoted(std::string_view printer) {
  return "\"" + std::string{printer} + "\"";
}

void BroadcastPrinterChange() {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, kPrinterChangeTimeoutMs, &answer);
}

// Why the shell could not hand the document over, from ShellExecuteW's result.
std::string ShellFailure(INT_PTR result) {
  switch (result) {
    case SE_ERR_FNF:
    case SE_ERR_PNF:
      return "the file does not exist.";
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
      return "no program is registered to print this kind of file.";
    case SE_ERR_ACCESSDENIED:
      return "access is denied.";
    default:
      return SystemErrorText(static_cast<long>(::GetLastError()));
  }
}

class WinspoolSpooler final : public Spooler {
 public:
  DefaultDestination Default() override {
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || size == 0) {
      return {DefaultDestination::State::None, ""};
    }
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) {
      return {DefaultDestination::State::Unreadable, ""};
    }
    name.resize(size > 0 ? size - 1 : 0);  // the count includes the terminator
    DefaultDestination found{DefaultDestination::State::Found, Utf8FromWide(name)};
    // The default is only a name in the user's profile; it may name a printer that is gone.
    const PrinterHandle printer{found.name};
    std::vector<BYTE> block;
    long detailsError = ERROR_SUCCESS;
    if (!printer.Opened() || printer.Details(block, detailsError) == nullptr) {
      found.state = DefaultDestination::State::Unreadable;
    }
    return found;
  }

  std::optional<std::string> Port(std::string_view printer) override {
    const PrinterHandle handle{printer};
    std::vector<BYTE> block;
    long error = ERROR_SUCCESS;
    const PRINTER_INFO_2W* details = handle.Opened() ? handle.Details(block, error) : nullptr;
    if (details == nullptr || details->pPortName == nullptr) {
      return std::nullopt;
    }
    return Utf8FromWide(details->pPortName);
  }

  // The user's default printer is the profile entry "device" of the section "windows": the
  // printer's name, its driver and its port, separated by commas.
  PrinterResult SetUserDefault(std::string_view printer) override {
    const PrinterHandle handle{printer};
    if (!handle.Opened()) {
      return {"The printer " + Quoted(printer) + " cannot be opened: " + SystemErrorText(handle.Error())};
    }
    std::vector<BYTE> block;
    long error = ERROR_SUCCESS;
    const PRINTER_INFO_2W* details = handle.Details(block, error);
    if (details == nullptr) {
      return {"The printer " + Quoted(printer) + " cannot be queried: " + SystemErrorText(error)};
    }
    if (details->pDriverName == nullptr || details->pPortName == nullptr) {
      return {"The printer " + Quoted(printer) + " has no driver or no port."};
    }
    const std::wstring device =
        WideFromUtf8(printer) + L"," + std::wstring{details->pDriverName} + L"," + std::wstring{details->pPortName};
    if (!::WriteProfileStringW(L"windows", L"device", device.c_str())) {
      return {"The default printer cannot be changed: " + SystemErrorText(static_cast<long>(::GetLastError()))};
    }
    BroadcastPrinterChange();
    return {};
  }

  PrinterResult ClearUserDefault() override {
    // Removing an entry that is not there fails; no entry is what was asked for.
    wchar_t left[2]{};
    if (!::WriteProfileStringW(L"windows", L"device", nullptr) &&
        ::GetProfileStringW(L"windows", L"device", L"", left, 2) != 0) {
      return {"The default printer cannot be changed: " + SystemErrorText(static_cast<long>(::GetLastError()))};
    }
    BroadcastPrinterChange();
    return {};
  }

  // The shell has the program registered for the document's type print it, hidden, to the
  // default printer, which print-files mode made `printer`. That program makes the job, so its
  // title and job options are the program's to choose; nothing carries ours there.
  PrinterResult PrintFile(std::string_view /*printer*/, const std::filesystem::path& file, std::string_view /*title*/,
                          const JobOptions& /*options*/) override {
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"print", file.c_str(), nullptr, nullptr, SW_HIDE));
    if (result <= 32) {  // success is a value above 32
      return {ShellFailure(result)};
    }
    return {};
  }

 private:
  ComApartment com_;  // the shell's print handlers may be COM objects
};

}  // namespace

std::unique_ptr<Spooler> MakeSystemSpooler() {
  return std::make_unique<WinspoolSpooler>();
}

std::string_view ProductPrinterPort() {
  return "VellumorPort:";
}

}  // namespace vellumor::platform
