#pragma once
// What the option windows share: they edit their group of the main window's settings record in
// place, with no working copy, through the settings fields their descriptions name; "Save/Exit"
// takes every control into the record and closes with 1, "Cancel" (and Escape, and the close
// box) closes with 2 and takes nothing.

#include "settings/Settings.h"
#include "ui/model/DialogView.h"

namespace vellumor::dialog {

// Loads every control of `dialog` that names a settings field: a check box from its flag, an edit
// from its text or number, a drop-down as LoadChoice shows a stored text.
void LoadFields(DialogView& view, const DialogDescription& dialog, const settings::Settings& settings);

// Takes every such control into `settings`, or none of them: the id of the first control of a
// number field whose text is not a whole number (nothing taken), or kNoId when all were taken.
int TakeFields(const DialogView& view, const DialogDescription& dialog, settings::Settings& settings);

class RecordDialog : public Dialog {
 public:
  explicit RecordDialog(settings::Settings& settings) : settings_{settings} {}

  // Whether this window edits `settings`.
  bool Edits(const settings::Settings& settings) const { return &settings_ == &settings; }

  void Initialise(DialogView& view) override;
  void Command(DialogView& view, int id) override;

 protected:
  // Takes the controls into the record; false when one could not be taken (the window stays).
  virtual bool Take(DialogView& view);
  // Called after "Save/Exit" took the controls, before the window closes.
  virtual void Saved() {}

  settings::Settings& settings_;
};

}  // namespace vellumor::dialog
