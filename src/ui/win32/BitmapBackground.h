#pragma once
// The tiled background of a window: its bitmap repeated from the client area's top-left corner,
// row by row, the last row and column clipped at the edge; the system's dialog colour when the
// window has no bitmap.

#include "platform/win32/WindowsApi.h"

namespace vellumor::native {

// Paints the part `area` of a client area (client coordinates) into `dc`, whose origin stands at
// `origin` of that client area: (0, 0) to paint the window itself, a control's top-left corner
// to paint what lies under that control into a picture of its own size.
void PaintBackground(HDC dc, HBITMAP bitmap, const RECT& area, POINT origin);

}  // namespace vellumor::native
