#include "ui/win32/Hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/win32/WideText.h"
#include "ui/model/LinkOpenError.h"

namespace vellumor::native {

namespace {

constexpr UINT_PTR kSubclassId = 0x484C;  // "HL"
constexpr UINT_PTR kToolId = 1;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ReadDefaultValue(const std::wstring& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring value(MAX_PATH, L'\0');
  DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  DWORD type = 0;
  const LSTATUS status =
      ::RegQueryValueExW(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
  ::RegCloseKey(opened);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') {
    value.pop_back();
  }
  return value;
}

// The result numbers the shell and the old program start report, for a failed start.
int StartFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_BAD_FORMAT:
      return static_cast<int>(error);
    case ERROR_BAD_EXE_FORMAT:
      return 11;
    default:
      return 0;
  }
}

}  // namespace

Hyperlink::Hyperlink(HWND control, std::string address, bool underline, std::function<void(std::string_view)> report)
    : control_{control},
      address_{platform::WideFromUtf8(address)},
      report_{std::move(report)},
      hoverColour_{::GetSysColor(COLOR_HIGHLIGHT)} {
  // The address falls back to the text, the text to the address.
  if (address_.empty()) {
    address_ = WindowText(control_);
  }
  if (WindowText(control_).empty()) {
    ::SetWindowTextW(control_, address_.c_str());
  }
  LOGFONTW font{};
  if (::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control_, WM_GETFONT, 0, 0)), sizeof font, &font) != 0) {
    font.lfUnderline = underline ? TRUE : FALSE;
    font_ = ::CreateFontIndirectW(&font);
    ::SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  FitToText();
  cursor_ = ::LoadCursorW(nullptr, IDC_HAND);
  ::SetWindowSubclass(control_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

  tooltip_ =
      ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ::GetParent(control_), nullptr, nullptr, nullptr);
  if (tooltip_ != nullptr) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = control_;
    tool.uId = kToolId;
    ::GetClientRect(control_, &tool.rect);
    tool.lpszText = address_.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

Hyperlink::~Hyperlink() {
  if (control_ != nullptr && ::IsWindow(control_)) {
    ::RemoveWindowSubclass(control_, Subclass, kSubclassId);
  }
  if (tooltip_ != nullptr && ::IsWindow(tooltip_)) {
    ::DestroyWindow(tooltip_);
  }
  if (font_ != nullptr) {
    ::DeleteObject(font_);
  }
}

COLORREF Hyperlink::TextColour() const {
  if (hovering_) {
    return hoverColour_;
  }
  return visited_ ? visitedColour_ : linkColour_;
}

void Hyperlink::FitToText() {
  HWND parent = ::GetParent(control_);
  RECT area{};
  ::GetWindowRect(control_, &area);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  HDC dc = ::GetDC(control_);
  HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control_, WM_GETFONT, 0, 0)));
  const std::wstring text = WindowText(control_);
  RECT measured{0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, previous);
  ::ReleaseDC(control_, dc);
  const LONG style = ::GetWindowLongW(control_, GWL_STYLE);
  // A pixel to spare on each side, as the control's own drawing of the text may take it.
  const int width = measured.right - measured.left + 2;
  const int height = measured.bottom - measured.top;
  if ((style & SS_CENTERIMAGE) != 0) {
    area.top += (area.bottom - area.top - height) / 2;
  }
  area.bottom = area.top + height;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      area.left += (area.right - area.left - width) / 2;
      area.right = area.left + width;
      break;
    case SS_RIGHT:
      area.left = area.right - width;
      break;
    default:
      area.right = area.left + width;
      break;
  }
  ::SetWindowPos(control_, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Hyperlink::Redraw() {
  ::InvalidateRect(control_, nullptr, TRUE);
  ::UpdateWindow(control_);
}

LRESULT CALLBACK Hyperlink::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                     DWORD_PTR self) {
  auto* link = reinterpret_cast<Hyperlink*>(self);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, Subclass, kSubclassId);
    link->control_ = nullptr;
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  return link->Handle(message, wParam, lParam);
}

LRESULT Hyperlink::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (cursor_ != nullptr) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      if (!hovering_) {
        hovering_ = true;
        Redraw();
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, control_, 0};
        ::TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
      if (hovering_) {
        hovering_ = false;
        Redraw();
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(control_, message, wParam, lParam);
}

int Hyperlink::OpenUrl(const std::wstring& address, int showCommand) {
  const auto shellResult = static_cast<int>(
      reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, showCommand)));
  if (shellResult > dialog::kLinkOpenedAbove) {
    return shellResult;
  }
  // The shell knows no handler for the address: the program that opens web pages is asked.
  const std::wstring pageType = ReadDefaultValue(L".htm");
  if (pageType.empty()) {
    return shellResult;
  }
  std::wstring command = ReadDefaultValue(pageType + L"\\shell\\open\\command");
  if (command.empty()) {
    return shellResult;
  }
  if (const std::size_t quoted = command.find(L"\"%1\""); quoted != std::wstring::npos) {
    command.resize(quoted);
  } else if (const std::size_t plain = command.find(L"%1"); plain != std::wstring::npos) {
    command.resize(plain);
  }
  command += L" " + address;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return StartFailure(::GetLastError());
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return dialog::kLinkOpenedAbove + 1;
}

void Hyperlink::Click() {
  const int result = OpenUrl(address_, SW_SHOW);
  visited_ = result > dialog::kLinkOpenedAbove;
  Redraw();
  if (!visited_) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    if (report_) {
      report_(dialog::LinkOpenErrorText(result));
    }
  }
}

}  // namespace vellumor::native
