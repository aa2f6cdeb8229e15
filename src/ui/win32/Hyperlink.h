#pragma once
// A static control that is a link: link colours, the highlight colour while the mouse is over it,
// the address as its tooltip, the hand cursor, an underlined font, and a click opens the address
// with the shell's "open" verb (or the registered web browser's command when the shell cannot).

#include <functional>
#include <string>
#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace vellumor::native {

class Hyperlink final {
 public:
  // `report` tells the user why an address could not be opened.
  Hyperlink(HWND control, std::string address, bool underline, std::function<void(std::string_view)> report);
  ~Hyperlink();
  Hyperlink(const Hyperlink&) = delete;
  Hyperlink& operator=(const Hyperlink&) = delete;

  // The colour the text is drawn in now.
  COLORREF TextColour() const;
  // The control was clicked: opens the address, marks the link visited when that worked.
  void Click();

  const std::wstring& Address() const { return address_; }
  bool Visited() const { return visited_; }
  bool Hovering() const { return hovering_; }

  // Opens `address`; the system's result number, above 32 on success.
  static int OpenUrl(const std::wstring& address, int showCommand);

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void FitToText();
  void Redraw();

  HWND control_;
  std::wstring address_;
  std::function<void(std::string_view)> report_;
  COLORREF linkColour_{RGB(100, 10, 14)};
  COLORREF visitedColour_{RGB(200, 200, 200)};
  COLORREF hoverColour_;
  bool hovering_{false};
  bool visited_{false};
  HFONT font_{nullptr};
  HCURSOR cursor_{nullptr};
  HWND tooltip_{nullptr};
};

}  // namespace vellumor::native
