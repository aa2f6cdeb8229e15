#pragma once
// The owner-drawn profile button: flat, a thin raised border while the mouse is over it and a
// sunken one while it is held down, its icon left of the caption, and, once made transparent, the
// part of the window's background that lies under it instead of a face colour of its own.

#include <functional>

#include "platform/win32/WindowsApi.h"

namespace vellumor::native {

class IconButton final {
 public:
  // Paints the part of the parent's client area given (parent coordinates) into a device context
  // whose origin stands at the given point: what lies under the button.
  using ParentPainter = std::function<void(HDC, const RECT&, POINT)>;

  IconButton(HWND button, ParentPainter paintParent);
  ~IconButton();
  IconButton(const IconButton&) = delete;
  IconButton& operator=(const IconButton&) = delete;

  // The icon shown whether hovered or not; owned by the caller.
  void SetIcon(HICON icon);
  // Draws over the parent's image from the next drawing on, captured afresh then.
  void SetTransparent();
  void Draw(const DRAWITEMSTRUCT& item);

  bool Hovering() const { return hovering_; }
  bool Transparent() const { return transparent_; }

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void SetHovering(bool hovering);
  void DrawBackground(HDC dc, const RECT& area);

  HWND button_;
  ParentPainter paintParent_;
  HICON icon_{nullptr};
  SIZE iconSize_{0, 0};
  bool hovering_{false};
  bool transparent_{false};
  HBITMAP cachedBackground_{nullptr};
};

}  // namespace vellumor::native
