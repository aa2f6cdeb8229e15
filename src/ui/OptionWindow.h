#pragma once
// The Qt side of the option windows (Advanced, Add Security, Document Properties, Custom): a
// rendered window whose rules edit the record in place, run modally, and reported to Qt as
// accepted after "Save/Exit" and rejected otherwise.

#include "ui/DialogWindow.h"
#include "ui/model/DialogDescription.h"

namespace vellumor::ui {

// The two buttons every option window closes with.
inline constexpr int kSaveExitId = dialog::kOkId;
inline constexpr int kCancelId = dialog::kCancelId;

class OptionWindow : public DialogWindow {
  Q_OBJECT

 public:
  using DialogWindow::DialogWindow;

  // Prepare, then run modally. True after "Save/Exit"; false after "Cancel", Escape or the close box.
  bool Open() { return DialogWindow::Open() == dialog::kOkId; }

 protected:
  int ToolkitResult(int result) const override { return result == dialog::kOkId ? Accepted : Rejected; }
};

}  // namespace vellumor::ui
