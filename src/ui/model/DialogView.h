#pragma once
// The two sides of a window: `DialogView`, what a front end's rendered window offers its rules
// (reading and setting its controls, opening a child window, closing), and `Dialog`, the rules
// themselves (what the window does when it opens, when a button is pressed, an entry picked, an
// item clicked, the window dismissed). A window's rules are written once, against the view, and
// every front end renders them; tests drive them through a recording view.
//
// Controls are addressed by their ids (DialogDescription.h). Texts are UTF-8.

#include <string>
#include <string_view>

#include "ui/model/DialogDescription.h"

namespace vellumor::dialog {

class Dialog;

class DialogView {
 public:
  virtual ~DialogView() = default;

  // The text of an edit, of a drop-down's edit field, of a label, button or frame.
  virtual std::string Text(int id) const = 0;
  // Sets that text. On a drop-down: shows the text itself with no entry selected.
  virtual void SetText(int id, std::string_view text) = 0;
  virtual bool Checked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  // Drop-down: the index of the entry shown (in DisplayedEntries order), -1 for typed text.
  // List view: the first selected item in list order, -1 for none. Tree view: the marked item.
  virtual int Selection(int id) const = 0;
  // Drop-down: selects the entry and shows its text. List view: selects and marks that item
  // only. Tree view: marks that item with the drop-target highlight (-1 marks none).
  virtual void SetSelection(int id, int index) = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual void SetVisible(int id, bool visible) = 0;
  // Gives the control the keyboard focus; an edit's text is selected.
  virtual void SetFocus(int id) = 0;
  // The brush the control is drawn with from now on (its text in a colour readable on it).
  virtual void SetColour(int id, Colour colour) = 0;
  // A progress bar's position; one outside the bar's range shows it empty.
  virtual void SetProgress(int id, int position) = 0;
  // An icon button's icon (icon resource id).
  virtual void SetIcon(int id, int icon) = 0;
  // An icon button draws the part of the window's background that lies under it from its next
  // drawing on, instead of a colour of its own.
  virtual void SetTransparent(int id) = 0;
  // Runs `child` as a modal window owned by this one; the result it closed with.
  virtual int RunModal(Dialog& child) = 0;
  // Ends the window with `result`.
  virtual void Close(int result) = 0;
  // Redraws the whole window at once, background included.
  virtual void Redraw() = 0;
};

// A window's rules. Each handler gets the view of the window it runs in.
class Dialog {
 public:
  virtual ~Dialog() = default;

  virtual const DialogDescription& Description() const = 0;

  // The window exists with every control of the description (lists filled); it is not shown yet.
  virtual void Initialise(DialogView& view) = 0;
  // A button was pressed, a check box clicked, or a menu or system-menu command chosen.
  virtual void Command(DialogView& /*view*/, int /*id*/) {}
  // The user picked an entry of a drop-down's list.
  virtual void SelectionPicked(DialogView& /*view*/, int /*id*/) {}
  // A left click in a tree or list view, after the view has updated its own selection: the item
  // under the mouse, or -1 beside every item.
  virtual void ItemClicked(DialogView& /*view*/, int /*id*/, int /*item*/) {}
  // The window got the keyboard focus (it became the active window).
  virtual void FocusGained(DialogView& /*view*/) {}
  // The close box, or Escape where the window lets it through: closes with "Cancel".
  virtual void Dismissed(DialogView& view) { view.Close(kCancelId); }
};

}  // namespace vellumor::dialog
