// Handing documents to the Windows shell: ShellExecuteW with the verb "open".

#include "platform/win32/DesktopShell.h"

#include "platform/win32/WideText.h"
// After windows.h: the shell header relies on its types.
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

bool WindowsShell::OpenDocument(std::string_view path) {
  return Started(::ShellExecuteW(nullptr, L"open", WideFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool WindowsShell::OpenWith(std::string_view program, std::string_view path) {
  const std::wstring parameters = QuotedArgument(WideFromUtf8(path));
  return Started(
      ::ShellExecuteW(nullptr, L"open", WideFromUtf8(program).c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
}

// Programs are known by their extension.
std::string_view ProgramFilePattern() {
  return "*.exe";
}

std::unique_ptr<Shell> MakeDesktopShell() {
  return std::make_unique<WindowsShell>();
}

}  // namespace vellumor::platform
