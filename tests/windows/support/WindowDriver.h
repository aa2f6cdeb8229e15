#pragma once
// Drives real windows in the Windows tests, as a person at the screen would: finds a window by
// its caption (in this process or another), waits for it by polling, presses its buttons by id,
// and keeps a picture of it for people to look at.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace vellumor::test {

// How long a window is given to appear or go on a loaded machine.
inline constexpr std::chrono::seconds kWindowPatience{60};

// Polls `done` until it holds or `limit` passes, pumping this thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kWindowPatience);

// A visible top-level window whose caption begins with `caption` (of process `process`, or of any
// when 0), or nullptr once `limit` has passed. With `whole`, the caption must be `caption` itself.
HWND WaitForWindow(std::wstring_view caption, DWORD process = 0, bool whole = false,
                   std::chrono::milliseconds limit = kWindowPatience);

// The caption of `window`.
std::wstring Caption(HWND window);

// Presses button `id` of `window` as a click would (BM_CLICK), without waiting for what it starts;
// false when the window has no such button.
bool PressButton(HWND window, int id);

// `rect` in dialog units of `window`'s font, in pixels of its client area.
RECT DialogRect(HWND window, int x, int y, int width, int height);
// Where a control lies in its window's client area.
RECT ClientRectOf(HWND control);

// Writes a picture of `window` as it is on the screen to <screenshots>/<name>.bmp, where the
// folder is VELLUMOR_SCREENSHOTS (nothing is written without it). scripts/test-windows.sh turns
// the pictures into PNG files.
void Screenshot(HWND window, std::string_view name);

}  // namespace vellumor::test
