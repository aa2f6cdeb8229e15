#pragma once
// A window as its dialog template gives it, in no toolkit's terms: template id, size in dialog
// units, font, caption, style, background bitmap, icon, menus, and the table of its controls.
// Every front end builds its windows from these descriptions (the Qt one on Linux, the native one
// on Windows), so a control's place, text, list and role are written once, here.
//
// Dialog units: a horizontal unit is a quarter of the dialog font's average character width, a
// vertical unit an eighth of its height. Rectangles are in dialog units of the client area.

#include <cstdint>
#include <span>
#include <string_view>

namespace vellumor::dialog {

// Controls that the window never addresses (frames, most labels).
inline constexpr int kNoId = -1;

// The results of the two buttons every option window closes with, which are also their ids.
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

struct Rect {
  int x{0};
  int y{0};
  int width{0};
  int height{0};

  constexpr bool operator==(const Rect&) const = default;
};

enum class Kind {
  Label,        // static text
  Edit,         // one-line edit field
  Password,     // edit field that shows a placeholder for every character
  DropDown,     // drop-down list with an edit field: anything typed is kept as typed
  CheckBox,     // automatic check box
  Button,       // push button
  GroupBox,     // frame, with or without a caption
  Picture,      // static bitmap (`resource`), stretched over the rectangle
  Icon,         // static icon (`resource`)
  IconButton,   // owner-drawn push button with an icon left of its caption (`resource`: the icon)
  ProgressBar,  // range 1 to 4
  TreeView,     // `items` with parents; lines, buttons and lines at the root; text only
  ListView,     // `items` in large-icon mode with 32 x 32 icons; always shows its selection
  Hyperlink,    // label that opens `link` when clicked
};

// Control style flags.
enum Style : std::uint32_t {
  kNoStyle = 0,
  kDefaultButton = 1U << 0,  // the button that Enter presses
  kHidden = 1U << 1,         // created invisible
  kDisabled = 1U << 2,
  kSorted = 1U << 3,      // a drop-down lists its entries alphabetically (see DisplayedEntries)
  kMultiLine = 1U << 4,   // the text is broken into lines within the rectangle
  kCentred = 1U << 5,     // the text is centred in the rectangle
  kTop = 1U << 6,         // the text starts at the top of a taller box
  kNoFocus = 1U << 7,     // never takes the keyboard focus (the hidden "Timer" button)
  kLargeText = 1U << 8,   // a larger, bold caption (the offer window's "Update")
  kUnderlined = 1U << 9,  // a hyperlink drawn underlined
  kExpandAll = 1U << 10,  // a tree view opens with every item expanded
};

// Where a control's rectangle comes from when its template gives only part of it. The rectangle
// in the description is always complete (a front end that cannot measure text uses it as it is);
// a front end that can measure text may fit the control as told here.
enum class Fit {
  Exact,      // the rectangle as given
  TextWidth,  // the width follows the text (check boxes and labels the template places by x, y)
  // A label that names `buddy`: it ends just left of that control, level with its first line,
  // its text right-aligned.
  BeforeBuddy,
};

// What a control's background is drawn with when it asks its window for colours.
enum class Brush {
  Default,     // the toolkit's own look
  Background,  // nothing of its own: the text lies on the window's (tiled) background
  White,       // a white brush with a transparent text background
  Colour,      // the control's `colour`
};

struct Colour {
  std::uint8_t red{0};
  std::uint8_t green{0};
  std::uint8_t blue{0};

  constexpr bool operator==(const Colour&) const = default;
};

inline constexpr Colour kWhite{0xFF, 0xFF, 0xFF};

// An item of a tree view (`parent`: index of its parent item, or -1 for a root) or of a list
// view (`icon`: icon resource id).
struct Item {
  std::string_view text;
  int parent{-1};
  int icon{0};
};

struct Control {
  int id{kNoId};
  Kind kind{Kind::Label};
  std::string_view text;  // as the template holds it: "&" marks a mnemonic, "&&" is one "&"
  Rect rect;
  std::uint32_t style{kNoStyle};
  Fit fit{Fit::Exact};
  int buddy{kNoId};                           // Fit::BeforeBuddy: the control the label names
  std::span<const std::string_view> entries;  // DropDown: the list, in the order it is held
  std::span<const Item> items;                // TreeView, ListView
  int resource{0};                            // Picture: bitmap; Icon, IconButton: icon
  Brush brush{Brush::Default};
  Colour colour;           // Brush::Colour
  std::string_view field;  // the settings field the control exchanges ("" for none)
  std::string_view link;   // Hyperlink: the address it opens ("" for its text)
};

// Window style flags.
enum WindowStyle : std::uint32_t {
  kNoWindowStyle = 0,
  kCaption = 1U << 0,
  kSystemMenu = 1U << 1,  // and with it the close box
  kMinimiseBox = 1U << 2,
  kModalFrame = 1U << 3,
  kTaskBar = 1U << 4,  // shown on the task bar (a top-level application window)
  // Enter and Escape are dropped before the dialog sees them: neither presses a button or closes
  // the window.
  kIgnoreEnterEscape = 1U << 5,
};

// A menu command; id 0 is a separator.
struct MenuItem {
  std::string_view text;
  int id{0};
};

struct Menu {
  std::string_view title;
  std::span<const MenuItem> items;
};

struct DialogDescription {
  int templateId{0};
  std::string_view caption;
  int width{0};  // client area, dialog units
  int height{0};
  std::string_view font{"MS Sans Serif"};
  int fontPoints{8};
  std::uint32_t style{kCaption | kSystemMenu};
  int background{0};  // bitmap resource tiled behind the controls; 0 for none
  int icon{0};        // window icon, large and small; 0 for the toolkit's default
  int menuResource{0};
  std::span<const Menu> menus;           // the menu bar
  std::span<const MenuItem> systemMenu;  // appended to the window's system menu
  std::span<const Control> controls;     // in creation order: later controls lie above earlier ones
};

// The control of that id in `dialog`, or nullptr (also for kNoId).
const Control* FindControl(const DialogDescription& dialog, int id);

// Rectangles the templates leave to their text. The dialog font's average character is four
// horizontal units wide by definition, so that is what a character is given; the longest line
// counts, and a mnemonic marker takes no room.
constexpr int EstimatedTextWidth(std::string_view text) {
  int longest = 0;
  int line = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\n') {
      longest = line > longest ? line : longest;
      line = 0;
    } else if (text[at] != '&' || (at + 1 < text.size() && text[at + 1] == '&' && ++at > 0)) {
      ++line;
    }
  }
  longest = line > longest ? line : longest;
  return 4 * longest;
}

inline constexpr int kTextHeight = 8;       // a line of static text
inline constexpr int kCheckBoxHeight = 10;  // a check box's line
inline constexpr int kCheckMarkWidth = 12;  // the box and the gap before its caption
inline constexpr int kLineHeight = 14;      // a one-line edit field
inline constexpr int kLabelGap = 3;         // between a label and the control it names
inline constexpr int kListHeight = 60;      // a drop-down's open list, when the template gives none

// A label the template places by its top-left corner.
constexpr Rect LabelAt(int x, int y, std::string_view text) {
  return {x, y, EstimatedTextWidth(text) + 2, kTextHeight};
}

// A check box the template places by its top-left corner.
constexpr Rect CheckBoxAt(int x, int y, std::string_view text) {
  return {x, y, kCheckMarkWidth + EstimatedTextWidth(text), kCheckBoxHeight};
}

// A label ending just left of `buddy`, level with the middle of its first line.
constexpr Rect LabelBefore(const Rect& buddy, std::string_view text) {
  const int width = EstimatedTextWidth(text) + 2;
  const int line = buddy.height < kLineHeight ? buddy.height : kLineHeight;
  return {buddy.x - kLabelGap - width, buddy.y + line / 2 - kTextHeight / 2, width, kTextHeight};
}

}  // namespace vellumor::dialog
