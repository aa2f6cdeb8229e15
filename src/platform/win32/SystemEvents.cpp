// Notifications to other programs and the system's error texts, on Windows.

#include "platform/SystemEvents.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

namespace {

// A window that does not answer within this time is skipped; a hung one at once.
constexpr UINT kBroadcastTimeoutMs = 5000;

}  // namespace

void NotifySettingChange(std::string_view area) {
  const std::wstring text = WideFromUtf8(area);
  const LPARAM parameter = text.empty() ? 0 : reinterpret_cast<LPARAM>(text.c_str());
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, parameter, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &answer);
}

std::string SystemErrorText(long code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring{buffer, length} : std::wstring{};
  ::LocalFree(buffer);
  // The system's texts end with a line break, which a one-line diagnostic does not want.
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    return "Unknown error " + std::to_string(code) + ".";
  }
  return Utf8FromWide(text);
}

}  // namespace vellumor::platform
