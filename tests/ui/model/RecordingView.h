#pragma once
// A window without a toolkit: it holds what each control of a description would show, answers
// the rules as a rendered window would, and records how the window was closed and which child
// windows it ran. The rules' tests drive windows through it, as a user would through a real one.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/model/ChoiceList.h"
#include "ui/model/DialogView.h"

namespace vellumor::test {

class RecordingView final : public dialog::DialogView {
 public:
  struct State {
    std::string text;
    bool checked{false};
    int selection{-1};
    bool enabled{true};
    bool visible{true};
    std::optional<dialog::Colour> colour;
    int icon{0};
    bool transparent{false};
    std::vector<std::string_view> entries;  // drop-downs, as shown
  };

  explicit RecordingView(dialog::Dialog& rules) : rules_{rules} {
    for (const dialog::Control& control : rules.Description().controls) {
      if (control.id == dialog::kNoId) {
        continue;
      }
      State& state = controls_[control.id];
      state.text = std::string{control.text};
      state.visible = (control.style & dialog::kHidden) == 0;
      state.enabled = (control.style & dialog::kDisabled) == 0;
      state.icon = control.resource;
      if (control.kind == dialog::Kind::DropDown) {
        state.entries = dialog::DisplayedEntries(control);
      }
    }
  }

  // The window opens: the rules' initialisation runs.
  void Open() {
    closed.reset();
    rules_.Initialise(*this);
  }
  void Press(int id) { rules_.Command(*this, id); }
  void Type(int id, std::string text) {
    controls_.at(id).text = std::move(text);
    controls_.at(id).selection = -1;
  }
  void Tick(int id) { controls_.at(id).checked = !controls_.at(id).checked; }
  // Picks entry `index` of a drop-down's list, as the user does.
  void Pick(int id, int index) {
    SetSelection(id, index);
    rules_.SelectionPicked(*this, id);
  }
  void ClickItem(int id, int item) { rules_.ItemClicked(*this, id, item); }
  void Dismiss() { rules_.Dismissed(*this); }

  const State& operator[](int id) const { return controls_.at(id); }

  // DialogView.
  std::string Text(int id) const override { return controls_.at(id).text; }
  void SetText(int id, std::string_view text) override {
    controls_.at(id).text = std::string{text};
    controls_.at(id).selection = -1;
  }
  bool Checked(int id) const override { return controls_.at(id).checked; }
  void SetChecked(int id, bool checked) override { controls_.at(id).checked = checked; }
  int Selection(int id) const override { return controls_.at(id).selection; }
  void SetSelection(int id, int index) override {
    State& state = controls_.at(id);
    state.selection = index;
    if (index >= 0 && index < static_cast<int>(state.entries.size())) {
      state.text = std::string{state.entries[static_cast<std::size_t>(index)]};
    }
  }
  void SetEnabled(int id, bool enabled) override { controls_.at(id).enabled = enabled; }
  void SetVisible(int id, bool visible) override { controls_.at(id).visible = visible; }
  void SetFocus(int id) override { focus = id; }
  void SetColour(int id, dialog::Colour colour) override { controls_.at(id).colour = colour; }
  void SetProgress(int id, int position) override { controls_.at(id).selection = position; }
  void SetIcon(int id, int icon) override { controls_.at(id).icon = icon; }
  void SetTransparent(int id) override { controls_.at(id).transparent = true; }
  int RunModal(dialog::Dialog& child) override {
    children.push_back(&child);
    return onChild ? onChild(child) : dialog::kCancelId;
  }
  void Close(int result) override { closed = result; }
  void Redraw() override { ++redraws; }

  std::optional<int> closed;
  int focus{dialog::kNoId};
  int redraws{0};
  std::vector<dialog::Dialog*> children;
  // Runs a child window; without it every child is cancelled at once.
  std::function<int(dialog::Dialog&)> onChild;

 private:
  dialog::Dialog& rules_;
  std::map<int, State> controls_;
};

}  // namespace vellumor::test
