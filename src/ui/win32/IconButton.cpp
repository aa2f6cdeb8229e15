#include "ui/win32/IconButton.h"

#include <commctrl.h>

#include <string>

namespace vellumor::native {

namespace {

constexpr UINT_PTR kSubclassId = 0x4942;  // "IB"
// The icon stands this far from the left edge.
constexpr int kIconMargin = 3;

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  SIZE size{0, 0};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) {
    return size;
  }
  BITMAP bitmap{};
  if (::GetObjectW(info.hbmMask, sizeof bitmap, &bitmap) != 0) {
    size.cx = bitmap.bmWidth;
    // A monochrome icon keeps its AND and XOR masks one above the other.
    size.cy = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
  }
  if (info.hbmMask != nullptr) {
    ::DeleteObject(info.hbmMask);
  }
  if (info.hbmColor != nullptr) {
    ::DeleteObject(info.hbmColor);
  }
  return size;
}

}  // namespace

IconButton::IconButton(HWND button, ParentPainter paintParent) : button_{button}, paintParent_{std::move(paintParent)} {
  ::SetWindowSubclass(button_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

IconButton::~IconButton() {
  if (::IsWindow(button_)) {
    ::RemoveWindowSubclass(button_, Subclass, kSubclassId);
  }
  if (cachedBackground_ != nullptr) {
    ::DeleteObject(cachedBackground_);
  }
}

void IconButton::SetIcon(HICON icon) {
  icon_ = icon;
  iconSize_ = IconSize(icon);
  ::InvalidateRect(button_, nullptr, FALSE);
}

void IconButton::SetTransparent() {
  if (cachedBackground_ != nullptr) {
    ::DeleteObject(cachedBackground_);
    cachedBackground_ = nullptr;
  }
  transparent_ = true;
  ::InvalidateRect(button_, nullptr, FALSE);
}

void IconButton::SetHovering(bool hovering) {
  if (hovering_ != hovering) {
    hovering_ = hovering;
    ::InvalidateRect(button_, nullptr, FALSE);
  }
}

LRESULT CALLBACK IconButton::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                      DWORD_PTR self) {
  auto* button = reinterpret_cast<IconButton*>(self);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, Subclass, kSubclassId);
    button->button_ = nullptr;
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  return button->Handle(message, wParam, lParam);
}

LRESULT IconButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      // Only while this program is the one the user works with, and only once per entry.
      if (!hovering_ && ::GetActiveWindow() != nullptr) {
        SetHovering(true);
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, button_, 0};
        ::TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      SetHovering(false);
      break;
    case WM_ENABLE:
      if (wParam == FALSE) {
        SetHovering(false);
      }
      break;
    case WM_LBUTTONDBLCLK:
      // Quick clicks each count: the second of two is a press, not a double click.
      return ::DefSubclassProc(button_, WM_LBUTTONDOWN, wParam, lParam);
    default:
      break;
  }
  return ::DefSubclassProc(button_, message, wParam, lParam);
}

void IconButton::DrawBackground(HDC dc, const RECT& area) {
  if (!transparent_) {
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC copy = ::CreateCompatibleDC(dc);
  if (cachedBackground_ == nullptr) {
    // What the window shows under the button now, kept until the next SetTransparent.
    cachedBackground_ = ::CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = ::SelectObject(copy, cachedBackground_);
    RECT inParent{};
    ::GetWindowRect(button_, &inParent);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(button_), reinterpret_cast<POINT*>(&inParent), 2);
    paintParent_(copy, inParent, POINT{inParent.left, inParent.top});
    ::SelectObject(copy, previous);
  }
  HGDIOBJ previous = ::SelectObject(copy, cachedBackground_);
  ::BitBlt(dc, area.left, area.top, width, height, copy, 0, 0, SRCCOPY);
  ::SelectObject(copy, previous);
  ::DeleteDC(copy);
}

void IconButton::Draw(const DRAWITEMSTRUCT& item) {
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  DrawBackground(dc, area);

  // Flat: no border at rest, a thin raised one under the mouse, a thin sunken one held down.
  if (pressed) {
    ::DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
  } else if (hovering_) {
    ::DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
  }

  const int shift = pressed ? 1 : 0;
  const int height = area.bottom - area.top;
  std::wstring caption(static_cast<std::size_t>(::GetWindowTextLengthW(button_)) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(::GetWindowTextW(button_, caption.data(), static_cast<int>(caption.size()))));

  int iconRight = area.left;
  if (icon_ != nullptr) {
    int x = area.left + kIconMargin;
    if (caption.empty()) {
      x = area.left + (area.right - area.left - iconSize_.cx) / 2;
    }
    const int y = area.top + (height - iconSize_.cy) / 2;
    if (disabled) {
      ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon_), 0, x + shift, y + shift, iconSize_.cx,
                   iconSize_.cy, DST_ICON | DSS_DISABLED);
    } else {
      ::DrawIconEx(dc, x + shift, y + shift, icon_, iconSize_.cx, iconSize_.cy, 0, nullptr, DI_NORMAL);
    }
    iconRight = x + iconSize_.cx;
  }

  if (!caption.empty()) {
    // Centred, broken at words, in the room right of the icon.
    RECT room{iconRight, area.top, area.right, area.bottom};
    RECT measured = room;
    UINT format = DT_CENTER | DT_WORDBREAK | ((item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0);
    ::DrawTextW(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
    const int textHeight = measured.bottom - measured.top;
    room.top = area.top + (height - textHeight) / 2;
    room.bottom = room.top + textHeight;
    ::OffsetRect(&room, shift, shift);
    ::SetBkMode(dc, TRANSPARENT);
    if (disabled) {
      RECT embossed = room;
      ::OffsetRect(&embossed, 1, 1);
      ::SetTextColor(dc, ::GetSysColor(COLOR_3DHILIGHT));
      ::DrawTextW(dc, caption.c_str(), -1, &embossed, format);
      ::SetTextColor(dc, ::GetSysColor(COLOR_3DSHADOW));
    } else {
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    }
    ::DrawTextW(dc, caption.c_str(), -1, &room, format);
  }
}

}  // namespace vellumor::native
