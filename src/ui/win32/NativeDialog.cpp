#include "ui/win32/NativeDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WideText.h"
#include "ui/model/ChoiceList.h"
#include "ui/win32/BitmapBackground.h"
#include "ui/win32/ControlText.h"
#include "ui/win32/DialogTemplate.h"
#include "ui/win32/Hyperlink.h"
#include "ui/win32/IconButton.h"

namespace vellumor::native {

namespace {

using dialog::Kind;

// Sent to itself when a drop-down's list has closed and every notification of the closing has
// arrived (they come in no fixed order).
constexpr UINT kListClosed = WM_APP + 1;
// The longest a modal loop sleeps before it looks for a request from outside again.
constexpr DWORD kWakeInterval = 100;
// The progress bar's range.
constexpr int kProgressFirst = 1;
constexpr int kProgressLast = 4;
// A larger caption is this many points larger than the dialog font, and bold.
constexpr int kLargeTextExtraPoints = 4;

std::vector<NativeDialog*>& OpenList() {
  static std::vector<NativeDialog*> open;
  return open;
}

std::function<void()>& WakeHook() {
  static std::function<void()> hook;
  return hook;
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return platform::Utf8FromWide(text);
}

std::string SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring{};
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return message.empty() ? "error " + std::to_string(error) : platform::Utf8FromWide(message);
}

COLORREF ColourRef(dialog::Colour colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

// Text that stays readable on `colour`: white on a dark brush, black otherwise.
COLORREF TextOn(dialog::Colour colour) {
  const int lightest = std::max({colour.red, colour.green, colour.blue});
  const int darkest = std::min({colour.red, colour.green, colour.blue});
  return (lightest + darkest) / 2 < 128 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0);
}

bool IsEnterOrEscape(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      return message.wParam == VK_RETURN || message.wParam == VK_ESCAPE;
    case WM_CHAR:
      return message.wParam == L'\r' || message.wParam == L'\n' || message.wParam == 0x1B;
    default:
      return false;
  }
}

// Enter and Escape still close an open drop-down list.
bool InOpenDropDown(HWND window) {
  for (HWND at = window; at != nullptr; at = ::GetParent(at)) {
    wchar_t name[16] = {};
    ::GetClassNameW(at, name, static_cast<int>(std::size(name)));
    if (std::wstring_view{name} == L"ComboBox") {
      return ::SendMessageW(at, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    }
  }
  return false;
}

// Waits for a message or the next wake-up, then lets the front end look around.
void WaitForWork() {
  ::MsgWaitForMultipleObjectsEx(0, nullptr, kWakeInterval, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  PumpMessages();
}

}  // namespace

struct NativeDialog::ControlState {
  const dialog::Control* control{nullptr};
  HWND window{nullptr};
  std::vector<std::string_view> entries;  // a drop-down's list, as shown
  std::vector<HTREEITEM> treeItems;       // a tree's items, in description order
  int marked{-1};                         // the tree item carrying the drop-target highlight
  std::optional<dialog::Colour> colour;   // a brush the rules gave the control
  std::unique_ptr<IconButton> iconButton;
  std::unique_ptr<Hyperlink> link;
  // A drop-down's list, between opening and the end of its closing.
  bool listOpen{false};
  bool listClosing{false};
  bool changedWhileOpen{false};
  bool pickedWhileOpen{false};
  bool reportedAtClose{false};
};

NativeDialog::NativeDialog(dialog::Dialog& rules, DialogServices services, HWND owner)
    : rules_{rules},
      description_{rules.Description()},
      services_{std::move(services)},
      owner_{owner},
      images_{services_.module} {}

NativeDialog::~NativeDialog() {
  std::vector<NativeDialog*>& open = OpenList();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (window_ != nullptr) {
    // The owner gets the activation back before this window goes, not some other program.
    if (owner_ != nullptr && ::GetActiveWindow() == window_) {
      ::SetActiveWindow(owner_);
    }
    ::DestroyWindow(window_);
  }
  controls_.clear();
  for (const auto& [colour, brush] : brushes_) {
    ::DeleteObject(brush);
  }
  if (largeFont_ != nullptr) {
    ::DeleteObject(largeFont_);
  }
}

const std::vector<NativeDialog*>& NativeDialog::OpenWindows() {
  return OpenList();
}

void NativeDialog::SetWakeHook(std::function<void()> hook) {
  WakeHook() = std::move(hook);
}

bool NativeDialog::Create(std::string& error) {
  if (window_ != nullptr) {
    return true;
  }
  const DialogTemplate dialogTemplate{description_};
  ::SetLastError(0);
  window_ = ::CreateDialogIndirectParamW(services_.module, dialogTemplate.Get(), owner_, Procedure,
                                         reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) {
    const DWORD code = ::GetLastError();
    error = "the window \"" + std::string{description_.caption} + "\" cannot be created (" +
            (code != 0 ? SystemErrorText(code) : std::string{"no window system"}) + ")";
    return false;
  }
  OpenList().push_back(this);
  return true;
}

void NativeDialog::Show() {
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
}

int NativeDialog::RunModal() {
  const bool ownerEnabled = owner_ != nullptr && ::IsWindowEnabled(owner_) != FALSE;
  modal_ = true;
  Show();
  ::SetForegroundWindow(window_);
  if (ownerEnabled) {
    ::EnableWindow(owner_, FALSE);
  }
  while (!closed_) {
    WaitForWork();
  }
  if (ownerEnabled) {
    ::EnableWindow(owner_, TRUE);
  }
  if (owner_ != nullptr && ::GetActiveWindow() == window_) {
    ::SetActiveWindow(owner_);
  }
  ::ShowWindow(window_, SW_HIDE);
  modal_ = false;
  return result_;
}

HWND NativeDialog::Control(int id) const {
  const ControlState* state = StateOf(id);
  return state != nullptr ? state->window : nullptr;
}

INT_PTR CALLBACK NativeDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  NativeDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<NativeDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
  } else {
    self = reinterpret_cast<NativeDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  return self != nullptr ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR NativeDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Build();
      return TRUE;
    case WM_ERASEBKGND:
      if (background_ != nullptr) {
        RECT client{};
        ::GetClientRect(window_, &client);
        PaintBackground(reinterpret_cast<HDC>(wParam), background_, client, POINT{0, 0});
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY: {
      const INT_PTR result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      ControlState* state = StateOf(item->hwndItem);
      if (state != nullptr && state->iconButton) {
        state->iconButton->Draw(*item);
        return TRUE;
      }
      return FALSE;
    }
    case WM_SYSCOMMAND: {
      const int command = static_cast<int>(wParam & 0xFFF0);
      const bool ours =
          std::any_of(description_.systemMenu.begin(), description_.systemMenu.end(),
                      [command](const dialog::MenuItem& item) { return item.id != 0 && item.id == command; });
      if (ours) {
        rules_.Command(*this, command);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      rules_.Dismissed(*this);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        rules_.FocusGained(*this);
      }
      return FALSE;
    case WM_PAINT:
      if (::IsIconic(window_) && description_.icon != 0) {
        // Minimised: the window's icon, centred.
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window_, &paint);
        RECT client{};
        ::GetClientRect(window_, &client);
        HICON icon = images_.Icon(description_.icon, 0);
        ::DrawIcon(dc, (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
                   (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2, icon);
        ::EndPaint(window_, &paint);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return description_.icon != 0 ? reinterpret_cast<INT_PTR>(images_.Icon(description_.icon, 0)) : FALSE;
    case kListClosed:
      if (ControlState* state = StateOf(static_cast<int>(wParam))) {
        state->listClosing = false;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

void NativeDialog::Build() {
  if (description_.background != 0) {
    background_ = images_.Bitmap(description_.background);
  }
  if (description_.icon != 0) {
    ::SendMessageW(window_, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(images_.Icon(description_.icon, ::GetSystemMetrics(SM_CXICON))));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(images_.Icon(description_.icon, ::GetSystemMetrics(SM_CXSMICON))));
  }
  for (std::size_t index = 0; index < description_.controls.size(); ++index) {
    auto state = std::make_unique<ControlState>();
    state->control = &description_.controls[index];
    state->window = ::GetDlgItem(window_, TemplateControlId(*state->control, index));
    controls_.push_back(std::move(state));
  }
  for (const std::unique_ptr<ControlState>& state : controls_) {
    if (state->window != nullptr) {
      BuildControl(*state);
    }
  }
  for (const std::unique_ptr<ControlState>& state : controls_) {
    if (state->window != nullptr) {
      Fit(*state);
    }
  }
  BuildMenus();
}

void NativeDialog::BuildMenus() {
  if (!description_.systemMenu.empty()) {
    HMENU system = ::GetSystemMenu(window_, FALSE);
    for (const dialog::MenuItem& item : description_.systemMenu) {
      if (item.id == 0) {
        ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(system, MF_STRING, static_cast<UINT_PTR>(item.id), platform::WideFromUtf8(item.text).c_str());
      }
    }
  }
  if (description_.menus.empty()) {
    return;
  }
  menuBar_ = ::CreateMenu();
  for (const dialog::Menu& menu : description_.menus) {
    HMENU popup = ::CreatePopupMenu();
    for (const dialog::MenuItem& item : menu.items) {
      if (item.id == 0) {
        ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.id), platform::WideFromUtf8(item.text).c_str());
      }
    }
    ::AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), platform::WideFromUtf8(menu.title).c_str());
  }
  ::SetMenu(window_, menuBar_);
  // The description's size is the client area: the window grows by the menu bar, centred again.
  RECT client{0, 0, description_.width, description_.height};
  ::MapDialogRect(window_, &client);
  RECT frame = client;
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(::GetWindowLongW(window_, GWL_EXSTYLE)));
  ::GetClientRect(window_, &client);
  RECT now{};
  ::GetWindowRect(window_, &now);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  MONITORINFO monitor{sizeof(MONITORINFO)};
  ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  ::SetWindowPos(window_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeDialog::BuildControl(ControlState& state) {
  const dialog::Control& control = *state.control;
  HWND window = state.window;
  switch (control.kind) {
    case Kind::DropDown:
      state.entries = dialog::DisplayedEntries(control);
      for (const std::string_view entry : state.entries) {
        ::SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::WideFromUtf8(entry).c_str()));
      }
      break;
    case Kind::Picture:
      ::SendMessageW(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(images_.Bitmap(control.resource)));
      break;
    case Kind::Icon:
      ::SendMessageW(window, STM_SETICON, reinterpret_cast<WPARAM>(images_.Icon(control.resource, 0)), 0);
      break;
    case Kind::IconButton:
      state.iconButton = std::make_unique<IconButton>(
          window, [this](HDC dc, const RECT& area, POINT origin) { PaintParent(dc, area, origin); });
      if (control.resource != 0) {
        state.iconButton->SetIcon(images_.Icon(control.resource, 0));
      }
      break;
    case Kind::ProgressBar:
      ::SendMessageW(window, PBM_SETRANGE32, kProgressFirst, kProgressLast);
      ::SendMessageW(window, PBM_SETPOS, kProgressFirst, 0);
      break;
    case Kind::TreeView:
      for (const dialog::Item& item : control.items) {
        const std::wstring text = platform::WideFromUtf8(item.text);
        TVINSERTSTRUCTW insert{};
        insert.hParent = item.parent >= 0 && item.parent < static_cast<int>(state.treeItems.size())
                             ? state.treeItems[static_cast<std::size_t>(item.parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        state.treeItems.push_back(
            reinterpret_cast<HTREEITEM>(::SendMessageW(window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert))));
      }
      if ((control.style & dialog::kExpandAll) != 0) {
        for (HTREEITEM item : state.treeItems) {
          ::SendMessageW(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        }
      }
      break;
    case Kind::ListView: {
      constexpr int kIconSize = 32;
      HIMAGELIST icons =
          ::ImageList_Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, static_cast<int>(control.items.size()), 0);
      for (const dialog::Item& item : control.items) {
        ::ImageList_AddIcon(icons, images_.Icon(item.icon, kIconSize));
      }
      // The list destroys its image list with itself.
      ::SendMessageW(window, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
      for (std::size_t index = 0; index < control.items.size(); ++index) {
        const std::wstring text = platform::WideFromUtf8(control.items[index].text);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.iImage = static_cast<int>(index);
        ::SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
      break;
    }
    case Kind::Hyperlink:
      state.link = std::make_unique<Hyperlink>(window, std::string{control.link},
                                               (control.style & dialog::kUnderlined) != 0, services_.reportLinkError);
      break;
    case Kind::Button:
      if ((control.style & dialog::kLargeText) != 0) {
        if (largeFont_ == nullptr) {
          LOGFONTW font{};
          ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0)), sizeof font, &font);
          font.lfHeight = font.lfHeight * (description_.fontPoints + kLargeTextExtraPoints) / description_.fontPoints;
          font.lfWeight = FW_BOLD;
          largeFont_ = ::CreateFontIndirectW(&font);
        }
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(largeFont_), FALSE);
      }
      break;
    default:
      break;
  }
}

void NativeDialog::Fit(ControlState& state) {
  const dialog::Control& control = *state.control;
  if (control.fit == dialog::Fit::Exact) {
    return;
  }
  // Placed by its top-left corner (or, naming a control, by its right end): as wide as its text
  // in the dialog font (and, for a check box, its box and the gap after it).
  HDC dc = ::GetDC(state.window);
  HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(state.window, WM_GETFONT, 0, 0)));
  const std::wstring text = platform::WideFromUtf8(WindowText(state.window));
  RECT measured{0, 0, 0, 0};
  const UINT prefix = control.kind == Kind::Label ? DT_NOPREFIX : 0;
  ::DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | prefix);
  ::SelectObject(dc, previous);
  ::ReleaseDC(state.window, dc);
  RECT extra{0, 0, control.kind == Kind::CheckBox ? dialog::kCheckMarkWidth : 0, 0};
  ::MapDialogRect(window_, &extra);
  RECT area{};
  ::GetWindowRect(state.window, &area);
  ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&area), 2);
  // A pixel to spare, as a label the dialog editor sizes keeps.
  const int width = static_cast<int>(measured.right - measured.left + extra.right) + 2;
  const int left = control.fit == dialog::Fit::BeforeBuddy ? static_cast<int>(area.right) - width : area.left;
  ::SetWindowPos(state.window, nullptr, left, area.top, width, area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeDialog::PaintParent(HDC dc, const RECT& area, POINT origin) {
  PaintBackground(dc, background_, area, origin);
}

void NativeDialog::RepaintUnder(HWND control) {
  RECT area{};
  ::GetWindowRect(control, &area);
  ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&area), 2);
  ::RedrawWindow(window_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

NativeDialog::ControlState* NativeDialog::StateOf(HWND control) {
  for (const std::unique_ptr<ControlState>& state : controls_) {
    if (state->window == control && control != nullptr) {
      return state.get();
    }
  }
  return nullptr;
}

NativeDialog::ControlState* NativeDialog::StateOf(int id) {
  return const_cast<ControlState*>(std::as_const(*this).StateOf(id));
}

const NativeDialog::ControlState* NativeDialog::StateOf(int id) const {
  if (id == dialog::kNoId) {
    return nullptr;
  }
  for (const std::unique_ptr<ControlState>& state : controls_) {
    if (state->control->id == id) {
      return state.get();
    }
  }
  return nullptr;
}

HBRUSH NativeDialog::SolidBrush(dialog::Colour colour) {
  const std::uint32_t key =
      (static_cast<std::uint32_t>(colour.red) << 16) | (static_cast<std::uint32_t>(colour.green) << 8) | colour.blue;
  HBRUSH& brush = brushes_[key];
  if (brush == nullptr) {
    brush = ::CreateSolidBrush(ColourRef(colour));
  }
  return brush;
}

INT_PTR NativeDialog::ControlColour(HDC dc, HWND control) {
  ControlState* state = StateOf(control);
  if (state == nullptr) {
    // The edit field inside a drop-down asks for the drop-down's colours.
    state = StateOf(::GetParent(control));
  }
  if (state == nullptr) {
    return FALSE;
  }
  if (state->link) {
    ::SetTextColor(dc, state->link->TextColour());
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
  }
  std::optional<dialog::Colour> colour = state->colour;
  if (!colour && state->control->brush == dialog::Brush::Colour) {
    colour = state->control->colour;
  }
  if (colour) {
    ::SetBkColor(dc, ColourRef(*colour));
    ::SetTextColor(dc, TextOn(*colour));
    return reinterpret_cast<INT_PTR>(SolidBrush(*colour));
  }
  switch (state->control->brush) {
    case dialog::Brush::Background:
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    case dialog::Brush::Default:
      // Static text, frames and check boxes show a window's picture through them, as they do in a
      // dialog that paints its own background; the others keep the system's look.
      if (background_ != nullptr && (state->control->kind == Kind::Label || state->control->kind == Kind::GroupBox ||
                                     state->control->kind == Kind::CheckBox || state->control->kind == Kind::Icon)) {
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
      }
      return FALSE;
    case dialog::Brush::White:
      ::SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
      if (state->control->kind != Kind::Edit && state->control->kind != Kind::Password &&
          state->control->kind != Kind::DropDown) {
        ::SetBkMode(dc, TRANSPARENT);
      }
      return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
    default:
      return FALSE;
  }
}

void NativeDialog::OnCommand(int id, int code, HWND from) {
  if (from == nullptr) {
    // A menu command, or Enter or Escape with no button of that id to press.
    if (id == IDCANCEL && Control(IDCANCEL) == nullptr) {
      rules_.Dismissed(*this);
    } else if (id != IDOK || Control(IDOK) != nullptr) {
      rules_.Command(*this, id);
    }
    return;
  }
  ControlState* state = StateOf(from);
  if (state == nullptr) {
    return;
  }
  const int controlId = state->control->id;
  switch (state->control->kind) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::IconButton:
      if (code == BN_CLICKED) {
        rules_.Command(*this, controlId);
      }
      break;
    case Kind::DropDown:
      // A pick is reported once: when an entry is chosen with the keys on the closed box, or when
      // the open list closes on a choice. The list's notifications come in no fixed order.
      switch (code) {
        case CBN_DROPDOWN:
          state->listOpen = true;
          state->changedWhileOpen = false;
          state->pickedWhileOpen = false;
          break;
        case CBN_SELENDOK:
          state->pickedWhileOpen = state->listOpen;
          break;
        case CBN_SELENDCANCEL:
          state->changedWhileOpen = false;
          state->pickedWhileOpen = false;
          break;
        case CBN_CLOSEUP:
          state->listOpen = false;
          state->listClosing = true;
          ::PostMessageW(window_, kListClosed, static_cast<WPARAM>(controlId), 0);
          state->reportedAtClose = state->changedWhileOpen || state->pickedWhileOpen;
          if (state->reportedAtClose) {
            rules_.SelectionPicked(*this, controlId);
          }
          break;
        case CBN_SELCHANGE:
          if (state->listOpen) {
            state->changedWhileOpen = true;
          } else if (!state->listClosing) {
            rules_.SelectionPicked(*this, controlId);
          } else if (!state->reportedAtClose) {
            state->reportedAtClose = true;
            rules_.SelectionPicked(*this, controlId);
          }
          break;
        default:
          break;
      }
      break;
    case Kind::Hyperlink:
      if (code == STN_CLICKED && state->link) {
        state->link->Click();
      }
      break;
    default:
      break;
  }
}

INT_PTR NativeDialog::OnNotify(const NMHDR& header) {
  ControlState* state = StateOf(header.hwndFrom);
  if (state == nullptr) {
    return 0;
  }
  const int id = state->control->id;
  const DWORD at = ::GetMessagePos();
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ::ScreenToClient(state->window, &point);
  if (state->control->kind == Kind::TreeView) {
    if (header.code == TVN_SELCHANGINGW) {
      // Only the rules mark an item: the tree's own selection moves with the keys alone, never
      // with a click or by itself when the tree gets the focus.
      return reinterpret_cast<const NMTREEVIEWW&>(header).action == TVC_BYKEYBOARD ? FALSE : TRUE;
    }
    if (header.code == NM_CLICK) {
      TVHITTESTINFO hit{};
      hit.pt = point;
      auto* item =
          reinterpret_cast<HTREEITEM>(::SendMessageW(state->window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      // Anywhere in a row counts as a click on its item.
      const bool inRow = (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT | TVHT_ONITEMBUTTON)) != 0;
      const auto found = std::find(state->treeItems.begin(), state->treeItems.end(), item);
      const int index =
          inRow && found != state->treeItems.end() ? static_cast<int>(found - state->treeItems.begin()) : -1;
      rules_.ItemClicked(*this, id, index);
    }
    return 0;
  }
  if (state->control->kind == Kind::ListView && header.code == NM_CLICK) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const auto item = static_cast<int>(::SendMessageW(state->window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    rules_.ItemClicked(*this, id, (hit.flags & LVHT_ONITEM) != 0 ? item : -1);
  }
  return 0;
}

std::string NativeDialog::Text(int id) const {
  const ControlState* state = StateOf(id);
  return state != nullptr ? WindowText(state->window) : std::string{};
}

void NativeDialog::SetText(int id, std::string_view text) {
  ControlState* state = StateOf(id);
  if (state == nullptr) {
    return;
  }
  const Kind kind = state->control->kind;
  if (kind == Kind::DropDown) {
    ::SendMessageW(state->window, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
  const std::string shown = kind == Kind::Label ? ShownText(text) : std::string{text};
  ::SetWindowTextW(state->window, platform::WideFromUtf8(shown).c_str());
  if (state->control->brush == dialog::Brush::Background || kind == Kind::GroupBox ||
      (state->control->brush == dialog::Brush::Default && background_ != nullptr)) {
    // Drawn straight onto the window's background: the old text is painted over by that.
    RepaintUnder(state->window);
  }
}

bool NativeDialog::Checked(int id) const {
  const ControlState* state = StateOf(id);
  return state != nullptr && ::SendMessageW(state->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void NativeDialog::SetChecked(int id, bool checked) {
  if (const ControlState* state = StateOf(id)) {
    ::SendMessageW(state->window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int NativeDialog::Selection(int id) const {
  const ControlState* state = StateOf(id);
  if (state == nullptr) {
    return -1;
  }
  switch (state->control->kind) {
    case Kind::DropDown: {
      // A typed text that happens to equal an entry still counts as that entry.
      const std::string text = WindowText(state->window);
      const auto found = std::find(state->entries.begin(), state->entries.end(), text);
      return found != state->entries.end() ? static_cast<int>(found - state->entries.begin()) : -1;
    }
    case Kind::ListView:
      return static_cast<int>(::SendMessageW(state->window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    case Kind::TreeView:
      return state->marked;
    default:
      return -1;
  }
}

void NativeDialog::SetSelection(int id, int index) {
  ControlState* state = StateOf(id);
  if (state == nullptr) {
    return;
  }
  switch (state->control->kind) {
    case Kind::DropDown:
      ::SendMessageW(state->window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      break;
    case Kind::ListView: {
      const auto count = static_cast<int>(::SendMessageW(state->window, LVM_GETITEMCOUNT, 0, 0));
      for (int item = 0; item < count; ++item) {
        LVITEMW change{};
        change.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED;
        change.state = item == index ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        ::SendMessageW(state->window, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
      }
      break;
    }
    case Kind::TreeView: {
      const bool valid = index >= 0 && index < static_cast<int>(state->treeItems.size());
      state->marked = valid ? index : -1;
      ::SendMessageW(state->window, TVM_SELECTITEM, TVGN_DROPHILITE,
                     reinterpret_cast<LPARAM>(valid ? state->treeItems[static_cast<std::size_t>(index)] : nullptr));
      break;
    }
    default:
      break;
  }
}

void NativeDialog::SetEnabled(int id, bool enabled) {
  if (const ControlState* state = StateOf(id)) {
    ::EnableWindow(state->window, enabled ? TRUE : FALSE);
  }
}

void NativeDialog::SetVisible(int id, bool visible) {
  if (const ControlState* state = StateOf(id)) {
    ::ShowWindow(state->window, visible ? SW_SHOWNA : SW_HIDE);
  }
}

void NativeDialog::SetFocus(int id) {
  // As the dialog manager moves the focus: an edit's text is selected.
  if (const ControlState* state = StateOf(id)) {
    ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(state->window), TRUE);
  }
}

void NativeDialog::SetColour(int id, dialog::Colour colour) {
  if (ControlState* state = StateOf(id)) {
    state->colour = colour;
    ::InvalidateRect(state->window, nullptr, TRUE);
  }
}

void NativeDialog::SetProgress(int id, int position) {
  if (const ControlState* state = StateOf(id)) {
    const bool inRange = position >= kProgressFirst && position <= kProgressLast;
    ::SendMessageW(state->window, PBM_SETPOS, static_cast<WPARAM>(inRange ? position : kProgressFirst), 0);
  }
}

void NativeDialog::SetIcon(int id, int icon) {
  ControlState* state = StateOf(id);
  if (state != nullptr && state->iconButton) {
    state->iconButton->SetIcon(images_.Icon(icon, 0));
  }
}

void NativeDialog::SetTransparent(int id) {
  ControlState* state = StateOf(id);
  if (state != nullptr && state->iconButton) {
    state->iconButton->SetTransparent();
  }
}

int NativeDialog::RunModal(dialog::Dialog& child) {
  NativeDialog window{child, services_, window_};
  std::string error;
  if (!window.Create(error)) {
    return -1;
  }
  window.Prepare();
  return window.RunModal();
}

void NativeDialog::Close(int result) {
  if (closed_) {
    return;
  }
  closed_ = true;
  result_ = result;
  // A window not run modally (the progress window) goes at once; a modal one when its loop sees
  // the close, woken by this.
  ::PostMessageW(window_, WM_NULL, 0, 0);
  if (!modal_) {
    ::ShowWindow(window_, SW_HIDE);
  }
}

void NativeDialog::Redraw() {
  ::RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void DispatchToDialogs(MSG& message) {
  HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  for (NativeDialog* dialog : OpenList()) {
    if (dialog->Window() != root || root == nullptr) {
      continue;
    }
    if ((dialog->Description().style & dialog::kIgnoreEnterEscape) != 0 && IsEnterOrEscape(message) &&
        !InOpenDropDown(message.hwnd)) {
      return;
    }
    if (::IsDialogMessageW(root, &message)) {
      return;
    }
    break;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void PumpMessages() {
  if (const std::function<void()>& hook = WakeHook()) {
    hook();
  }
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchToDialogs(message);
  }
}

}  // namespace vellumor::native
