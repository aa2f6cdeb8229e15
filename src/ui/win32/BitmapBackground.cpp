#include "ui/win32/BitmapBackground.h"

namespace vellumor::native {

void PaintBackground(HDC dc, HBITMAP bitmap, const RECT& area, POINT origin) {
  BITMAP info{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    RECT target = area;
    ::OffsetRect(&target, -origin.x, -origin.y);
    ::FillRect(dc, &target, ::GetSysColorBrush(COLOR_3DFACE));
    return;
  }
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ previous = ::SelectObject(source, bitmap);
  // Only the tiles that meet the area are copied; each at its place in the whole client area.
  const LONG firstRow = (area.top / info.bmHeight) * info.bmHeight;
  const LONG firstColumn = (area.left / info.bmWidth) * info.bmWidth;
  for (LONG y = firstRow; y < area.bottom; y += info.bmHeight) {
    for (LONG x = firstColumn; x < area.right; x += info.bmWidth) {
      ::BitBlt(dc, x - origin.x, y - origin.y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    }
  }
  ::SelectObject(source, previous);
  ::DeleteDC(source);
}

}  // namespace vellumor::native
