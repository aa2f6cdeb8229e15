#pragma once
// A window of a dialog description, rendered with the Windows dialog manager: the template built
// in memory (every rectangle in the description's dialog units, the dialog font mapping them),
// common controls, the menu bar and system-menu commands, the tiled background, the control
// colours, icon buttons and hyperlinks; and the window's rules (dialog::Dialog) driven by the
// user's clicks through the view this class implements. No window rule lives here, only how a
// control looks and reports itself in Win32.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/WindowsApi.h"
#include "ui/model/DialogView.h"
#include "ui/win32/ModuleImages.h"

namespace vellumor::native {

class Hyperlink;
class IconButton;

// What a window needs from the deliverable that shows it.
struct DialogServices {
  HMODULE module{nullptr};  // where its bitmaps and icons are, and whose windows these are
  // Tells the user why a link could not be opened (the program's message box).
  std::function<void(std::string_view)> reportLinkError;
};

class NativeDialog final : public dialog::DialogView {
 public:
  // `rules` must outlive the window. `owner` is disabled while the window runs modally.
  NativeDialog(dialog::Dialog& rules, DialogServices services, HWND owner);
  ~NativeDialog() override;
  NativeDialog(const NativeDialog&) = delete;
  NativeDialog& operator=(const NativeDialog&) = delete;

  // Creates the window, hidden, with every control of the description; false, with the system's
  // reason in `error`, when no window can be made.
  bool Create(std::string& error);
  // The rules' initialisation (controls loaded); the window stays hidden.
  void Prepare() { rules_.Initialise(*this); }
  // Shows the window and runs it until the rules close it, its owner disabled meanwhile; the
  // result the rules closed it with.
  int RunModal();
  // Shows the window and returns (the progress window).
  void Show();

  HWND Window() const { return window_; }
  HWND Control(int id) const;
  bool Closed() const { return closed_; }
  int Result() const { return result_; }
  dialog::Dialog& Rules() const { return rules_; }
  const dialog::DialogDescription& Description() const { return description_; }

  // The windows of this kind open now, oldest first.
  static const std::vector<NativeDialog*>& OpenWindows();
  // Runs at every wake-up of a modal loop and of PumpMessages (at least every tenth of a second):
  // how the front end notices a request from outside while a window waits.
  static void SetWakeHook(std::function<void()> hook);

  // DialogView.
  std::string Text(int id) const override;
  void SetText(int id, std::string_view text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  int Selection(int id) const override;
  void SetSelection(int id, int index) override;
  void SetEnabled(int id, bool enabled) override;
  void SetVisible(int id, bool visible) override;
  void SetFocus(int id) override;
  void SetColour(int id, dialog::Colour colour) override;
  void SetProgress(int id, int position) override;
  void SetIcon(int id, int icon) override;
  void SetTransparent(int id) override;
  int RunModal(dialog::Dialog& child) override;
  void Close(int result) override;
  void Redraw() override;

 private:
  struct ControlState;

  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  void BuildMenus();
  void BuildControl(ControlState& state);
  void Fit(ControlState& state);
  INT_PTR ControlColour(HDC dc, HWND control);
  void OnCommand(int id, int code, HWND from);
  INT_PTR OnNotify(const NMHDR& header);
  void PaintParent(HDC dc, const RECT& area, POINT origin);
  void RepaintUnder(HWND control);
  ControlState* StateOf(HWND control);
  ControlState* StateOf(int id);
  const ControlState* StateOf(int id) const;
  HBRUSH SolidBrush(dialog::Colour colour);

  dialog::Dialog& rules_;
  const dialog::DialogDescription& description_;
  DialogServices services_;
  HWND owner_;
  HWND window_{nullptr};
  ModuleImages images_;
  HBITMAP background_{nullptr};
  HMENU menuBar_{nullptr};
  HFONT largeFont_{nullptr};
  std::vector<std::unique_ptr<ControlState>> controls_;
  std::map<std::uint32_t, HBRUSH> brushes_;
  bool modal_{false};
  bool closed_{false};
  int result_{0};
};

// Hands one message to its window as the dialogs want it: Enter and Escape dropped for a window
// that ignores them, keyboard navigation and mnemonics for every dialog.
void DispatchToDialogs(MSG& message);
// Dispatches every waiting message of this thread without waiting for more.
void PumpMessages();

}  // namespace vellumor::native
