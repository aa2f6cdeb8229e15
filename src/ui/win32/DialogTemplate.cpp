#include "ui/win32/DialogTemplate.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "ui/win32/ControlText.h"

namespace vellumor::native {

namespace {

using dialog::Kind;

// The dialog font's weight and character set as a resource compiler writes them.
constexpr WORD kNormalWeight = FW_NORMAL;
constexpr BYTE kDefaultCharset = DEFAULT_CHARSET;

DWORD StaticAlignment(std::uint32_t style) {
  if ((style & dialog::kCentred) != 0) {
    return SS_CENTER;
  }
  // One line level with the middle of its box, as a label beside a field sits; text that may
  // break into lines, or starts at the top of a taller box, keeps to the top.
  if ((style & (dialog::kMultiLine | dialog::kTop)) == 0) {
    return SS_LEFT | SS_CENTERIMAGE;
  }
  return SS_LEFT;
}

}  // namespace

ControlClass ClassOf(const dialog::Control& control) {
  DWORD style = WS_CHILD;
  if ((control.style & dialog::kHidden) == 0) {
    style |= WS_VISIBLE;
  }
  if ((control.style & dialog::kDisabled) != 0) {
    style |= WS_DISABLED;
  }
  const bool tabStop = (control.style & dialog::kNoFocus) == 0;
  switch (control.kind) {
    case Kind::Label: {
      DWORD alignment = StaticAlignment(control.style);
      if (control.fit == dialog::Fit::BeforeBuddy) {
        alignment = SS_RIGHT | SS_CENTERIMAGE;
      }
      // Names and paths are shown as they are: an "&" in them is no mnemonic.
      return {L"STATIC", style | alignment | SS_NOPREFIX, 0};
    }
    case Kind::Edit:
      return {L"EDIT", style | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
    case Kind::Password:
      return {L"EDIT", style | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | ES_PASSWORD, WS_EX_CLIENTEDGE};
    case Kind::DropDown:
      // The list is kept in the order the description shows it (never CBS_SORT): an index then
      // means the same entry in every front end.
      return {L"COMBOBOX", style | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case Kind::CheckBox:
      return {L"BUTTON",
              style | WS_TABSTOP | BS_AUTOCHECKBOX | ((control.style & dialog::kMultiLine) != 0 ? BS_MULTILINE : 0), 0};
    case Kind::Button:
      return {L"BUTTON",
              style | (tabStop ? WS_TABSTOP : 0) |
                  ((control.style & dialog::kDefaultButton) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
              0};
    case Kind::GroupBox:
      return {L"BUTTON", style | BS_GROUPBOX, 0};
    case Kind::Picture:
      return {L"STATIC", style | SS_BITMAP | SS_REALSIZECONTROL, 0};
    case Kind::Icon:
      return {L"STATIC", style | SS_ICON | SS_REALSIZEIMAGE, 0};
    case Kind::IconButton:
      return {L"BUTTON", style | WS_TABSTOP | BS_OWNERDRAW, 0};
    case Kind::ProgressBar:
      return {PROGRESS_CLASSW, style, 0};
    case Kind::TreeView:
      return {WC_TREEVIEWW, style | WS_TABSTOP | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 0};
    case Kind::ListView:
      return {WC_LISTVIEWW, style | WS_TABSTOP | WS_BORDER | LVS_ICON | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE, 0};
    case Kind::Hyperlink:
      return {L"STATIC", style | SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0};
  }
  return {L"STATIC", style, 0};
}

int TemplateControlId(const dialog::Control& control, std::size_t index) {
  return control.id == dialog::kNoId ? kUnnumberedIds + static_cast<int>(index) : control.id;
}

DWORD DialogStyle(std::uint32_t style) {
  // A fixed frame (nothing here can be resized) and the window centred on the screen.
  DWORD result = WS_POPUP | WS_CLIPSIBLINGS | DS_SETFONT | DS_MODALFRAME | DS_CENTER;
  if ((style & dialog::kCaption) != 0) {
    result |= WS_CAPTION;
  }
  if ((style & dialog::kSystemMenu) != 0) {
    result |= WS_SYSMENU;
  }
  if ((style & dialog::kMinimiseBox) != 0) {
    result |= WS_MINIMIZEBOX;
  }
  return result;
}

DWORD DialogExStyle(std::uint32_t style) {
  DWORD result = WS_EX_CONTROLPARENT;
  if ((style & dialog::kTaskBar) != 0) {
    result |= WS_EX_APPWINDOW;
  }
  return result;
}

DialogTemplate::DialogTemplate(const dialog::DialogDescription& description) {
  // DLGTEMPLATEEX.
  Word(1);       // dlgVer
  Word(0xFFFF);  // signature: the extended form
  Dword(0);      // helpID
  Dword(DialogExStyle(description.style));
  Dword(DialogStyle(description.style));
  Word(static_cast<WORD>(description.controls.size()));
  Word(0);  // x, y: centred (DS_CENTER)
  Word(0);
  Word(static_cast<WORD>(description.width));
  Word(static_cast<WORD>(description.height));
  Word(0);  // no menu: the menu bar is built from the description when the window opens
  Word(0);  // the dialog manager's own window class
  Text(platform::WideFromUtf8(description.caption));
  Word(static_cast<WORD>(description.fontPoints));
  Word(kNormalWeight);
  Word(static_cast<WORD>(kDefaultCharset << 8));  // italic 0, charset
  Text(platform::WideFromUtf8(description.font));

  for (std::size_t index = 0; index < description.controls.size(); ++index) {
    const dialog::Control& control = description.controls[index];
    AlignToDword();
    const ControlClass kind = ClassOf(control);
    Dword(0);  // helpID
    Dword(kind.exStyle);
    Dword(kind.style);
    Word(static_cast<WORD>(control.rect.x));
    Word(static_cast<WORD>(control.rect.y));
    Word(static_cast<WORD>(control.rect.width));
    Word(static_cast<WORD>(control.rect.height));
    Dword(static_cast<DWORD>(TemplateControlId(control, index)));
    Text(kind.name);
    const bool plainText = control.kind == Kind::Label;
    Text(platform::WideFromUtf8(plainText ? ShownText(control.text) : std::string{control.text}));
    Word(0);  // no creation data
  }
}

void DialogTemplate::Dword(DWORD value) {
  Word(LOWORD(value));
  Word(HIWORD(value));
}

void DialogTemplate::Text(std::wstring_view text) {
  for (const wchar_t c : text) {
    Word(static_cast<WORD>(c));
  }
  Word(0);
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2 != 0) {
    Word(0);
  }
}

}  // namespace vellumor::native
