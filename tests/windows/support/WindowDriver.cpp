#include "support/WindowDriver.h"

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/Environment.h"
#include "platform/PathText.h"

namespace vellumor::test {

namespace {

constexpr std::chrono::milliseconds kPollInterval{50};

struct Search {
  std::wstring_view caption;
  DWORD process;
  bool whole;
  HWND found;
};

BOOL CALLBACK Inspect(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (!::IsWindowVisible(window) || (search->process != 0 && owner != search->process)) {
    return TRUE;
  }
  const std::wstring caption = Caption(window);
  if (search->whole ? caption == search->caption : caption.starts_with(search->caption)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) {
      return true;
    }
    if (std::chrono::steady_clock::now() > end) {
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

HWND WaitForWindow(std::wstring_view caption, DWORD process, bool whole, std::chrono::milliseconds limit) {
  Search search{caption, process, whole, nullptr};
  WaitUntil(
      [&search] {
        ::EnumWindows(Inspect, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      limit);
  return search.found;
}

std::wstring Caption(HWND window) {
  // Asked of the window itself: the system keeps no copy of a control's text for other processes.
  const auto length = static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

bool PressButton(HWND window, int id) {
  HWND button = ::GetDlgItem(window, id);
  // Posted: the press may open a window of its own and wait there.
  return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

RECT DialogRect(HWND window, int x, int y, int width, int height) {
  // As the dialog manager places a control: its corner and its size are each mapped on their own
  // (mapping the right edge instead can round the other way).
  RECT corner{x, y, 0, 0};
  RECT size{width, height, 0, 0};
  ::MapDialogRect(window, &corner);
  ::MapDialogRect(window, &size);
  return RECT{corner.left, corner.top, corner.left + size.left, corner.top + size.top};
}

RECT ClientRectOf(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Screenshot(HWND window, std::string_view name) {
  const std::optional<std::string> folder = platform::GetEnvironmentVariable("VELLUMOR_SCREENSHOTS");
  if (!folder || folder->empty() || window == nullptr) {
    return;
  }
  ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  RECT area{};
  ::GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = ::GetDC(nullptr);
  HDC copy = ::CreateCompatibleDC(screen);
  HBITMAP picture = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(copy, picture);
  ::BitBlt(copy, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  ::SelectObject(copy, previous);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = ((width * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  ::GetDIBits(copy, picture, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
  ::DeleteObject(picture);
  ::DeleteDC(copy);
  ::ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::filesystem::create_directories(platform::PathFromUtf8(*folder));
  std::ofstream out(platform::PathFromUtf8(*folder) / platform::PathFromUtf8(std::string{name} + ".bmp"),
                    std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace vellumor::test
