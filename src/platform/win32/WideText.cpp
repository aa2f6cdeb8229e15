#include "platform/win32/WideText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "platform/PathText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) {
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
  }
  return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
  if (needed > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
  }
  return utf8;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path{WideFromUtf8(text)};
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

namespace {

bool IsReservedDeviceName(std::string_view stem) {
  constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  const auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
  };
  for (const std::string_view device : kDevices) {
    if (same(stem, device)) {
      return true;
    }
  }
  return stem.size() == 4 && (same(stem.substr(0, 3), "COM") || same(stem.substr(0, 3), "LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

}  // namespace

std::string FileNameTheSystemKeeps(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    name.pop_back();
  }
  // The device is named by what comes before the first dot, blanks at its end not counted.
  const std::size_t dot = std::min(name.find('.'), name.size());
  std::size_t stemEnd = dot;
  while (stemEnd > 0 && name[stemEnd - 1] == ' ') {
    --stemEnd;
  }
  if (IsReservedDeviceName(std::string_view{name}.substr(0, stemEnd))) {
    name.insert(stemEnd, "_");
  }
  return name;
}

namespace {

// The system's ANSI code page, in which programs that print through GDI write the job's text. Not
// CP_ACP: the program's manifest makes its own code page UTF-8, and a title in Windows-1252 read
// as UTF-8 would lose every letter outside ASCII.
UINT SystemAnsiCodePage() {
  DWORD codePage = 0;
  if (::GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(wchar_t)) == 0 ||
      codePage == 0 || codePage == CP_UTF8) {
    return 1252;  // a locale with no ANSI code page of its own: the one Windows gives Western locales
  }
  return codePage;
}

}  // namespace

std::string Utf8FromJobText(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::string{bytes};
  }
  const int length = static_cast<int>(bytes.size());
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0) > 0) {
    return std::string{bytes};
  }
  const UINT codePage = SystemAnsiCodePage();
  const int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) {
    ::MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
  }
  return Utf8FromWide(wide);
}

}  // namespace vellumor::platform
