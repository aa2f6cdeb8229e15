// Handing documents to the Windows shell: ShellExecuteW with the verbs "open" and "print".

#include "platform/win32/DesktopShell.h"

#include "platform/win32/WideText.h"
// After windows.h: the shell headers rely on its types.
#include <objbase.h>
#include <shellapi.h>

namespace vellumor::platform {

namespace {

// ShellExecuteW reports success with a value above 32.
bool Started(HINSTANCE result) {
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

std::wstring QuotedArgument(std::wstring_view argument) {
  // The rules by which programs split their command line (CommandLineToArgvW and the C
  // runtimes): backslashes are literal unless they precede a quote, so those before a quote or
  // before the closing quote are doubled.
  std::wstring quoted{L"\""};
  std::size_t backslashes{0};
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

WindowsShell::WindowsShell() {
  // Shell extensions that handle a verb may be COM objects; they need COM on this thread.
  const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  comInitialised_ = SUCCEEDED(result);
}

WindowsShell::~WindowsShell() {
  if (comInitialised_) {
    ::CoUninitialize();
  }
}

bool WindowsShell::OpenDocument(std::string_view path) {
  return Started(::ShellExecuteW(nullptr, L"open", WideFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool WindowsShell::OpenWith(std::string_view program, std::string_view path) {
  const std::wstring parameters = QuotedArgument(WideFromUtf8(path));
  return Started(
      ::ShellExecuteW(nullptr, L"open", WideFromUtf8(program).c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
}

bool WindowsShell::PrintDocument(std::string_view path) {
  // The program registered for printing the document's type prints it to the default printer
  // without showing itself.
  return Started(::ShellExecuteW(nullptr, L"print", WideFromUtf8(path).c_str(), nullptr, nullptr, SW_HIDE));
}

std::unique_ptr<Shell> MakeDesktopShell() {
  return std::make_unique<WindowsShell>();
}

}  // namespace vellumor::platform
