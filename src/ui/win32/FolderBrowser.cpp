#include "ui/win32/FolderBrowser.h"

#include <commctrl.h>
#include <shlobj.h>

#include "platform/win32/ComApartment.h"
#include "platform/win32/WideText.h"
#include "ui/model/FolderPath.h"

namespace vellumor::native {

namespace {

constexpr UINT_PTR kSubclassId = 0x4642;  // "FB"
// The edit field ends this far above the tree and is this far from the tree's top.
constexpr int kEditAboveTree = 27;
constexpr int kEditGap = 4;
// child, visible, tab stop, scrolling sideways as the user types
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

}  // namespace

FolderBrowser::FolderBrowser(std::string_view caption, std::string_view instruction, std::string_view initialFolder,
                             HWND owner, platform::UserInteraction& ui)
    : caption_{platform::WideFromUtf8(caption)},
      instruction_{platform::WideFromUtf8(instruction)},
      initialFolder_{platform::WideFromUtf8(initialFolder)},
      owner_{owner},
      ui_{ui} {}

std::optional<std::string> FolderBrowser::Run() {
  const platform::ComApartment com;
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = owner_;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = instruction_.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  browse.lpfn = Callback;
  browse.lParam = reinterpret_cast<LPARAM>(this);
  accepted_ = false;
  // The browser's own answer is not used: only a path that passed the check counts.
  if (PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse)) {
    ::CoTaskMemFree(item);
  }
  if (!accepted_) {
    return std::nullopt;
  }
  return platform::Utf8FromWide(selected_);
}

int CALLBACK FolderBrowser::Callback(HWND window, UINT message, LPARAM lParam, LPARAM self) {
  auto* browser = reinterpret_cast<FolderBrowser*>(self);
  if (message == BFFM_INITIALIZED) {
    browser->Initialised(window);
  } else if (message == BFFM_SELCHANGED) {
    browser->SelectionChanged(lParam);
  }
  return 0;
}

void FolderBrowser::Initialised(HWND browser) {
  browser_ = browser;
  if (!caption_.empty()) {
    ::SetWindowTextW(browser_, caption_.c_str());
  }
  ::SetWindowSubclass(browser_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  ::ShowWindow(::GetDlgItem(browser_, kStatusId), SW_HIDE);
  RECT tree{};
  ::GetWindowRect(::GetDlgItem(browser_, kTreeId), &tree);
  ::MapWindowPoints(HWND_DESKTOP, browser_, reinterpret_cast<POINT*>(&tree), 2);
  edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kEditStyle, tree.left, tree.top - kEditAboveTree,
                            tree.right - tree.left, kEditAboveTree - kEditGap, browser_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
  ::SendMessageW(edit_, WM_SETFONT, ::SendMessageW(browser_, WM_GETFONT, 0, 0), TRUE);
  std::wstring start = initialFolder_;
  if (start.empty()) {
    start.resize(MAX_PATH);
    start.resize(::GetCurrentDirectoryW(static_cast<DWORD>(start.size()), start.data()));
  }
  ::SendMessageW(browser_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
}

void FolderBrowser::SelectionChanged(LPARAM item) {
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), path)) {
    path[0] = L'\0';
  }
  ::SendMessageW(browser_, BFFM_ENABLEOK, 0, path[0] != L'\0' ? TRUE : FALSE);
  ::SendMessageW(browser_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
  if (edit_ != nullptr) {
    ::SetWindowTextW(edit_, path);
  }
}

std::wstring FolderBrowser::EditText() const {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
  return text;
}

LRESULT CALLBACK FolderBrowser::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                         DWORD_PTR self) {
  auto* browser = reinterpret_cast<FolderBrowser*>(self);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, Subclass, kSubclassId);
  } else if (message == WM_COMMAND && LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
    browser->selected_ = browser->EditText();
    ::SendMessageW(window, BFFM_ENABLEOK, 0, browser->selected_.empty() ? FALSE : TRUE);
    return 0;
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
    browser->selected_ = browser->EditText();
    if (dialog::ValidateFolderPath(platform::Utf8FromWide(browser->selected_), browser->ui_) != dialog::kPathAccepted) {
      ::SetFocus(browser->edit_);
      return 0;
    }
    browser->accepted_ = true;
    ::EndDialog(window, IDOK);
    return 0;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace vellumor::native
