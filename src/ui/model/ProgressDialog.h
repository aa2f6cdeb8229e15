#pragma once
// "PDF file creation progress": the small modeless window that shows which file is being written
// and the page the engine reports while a conversion runs. No close box: it goes when the
// conversion ends (the conversion fills its lines, convert/Progress.h).

#include "ui/model/DialogView.h"

namespace vellumor::dialog {

extern const DialogDescription kProgressWindow;

class ProgressDialog final : public Dialog {
 public:
  static constexpr int kFileLineId = 1063;
  static constexpr int kPageLineId = 1076;

  const DialogDescription& Description() const override { return kProgressWindow; }
  void Initialise(DialogView& /*view*/) override {}
  // Closed from outside (the window system): it is gone, and the conversion sees it gone.
  void Dismissed(DialogView& view) override { view.Close(0); }
};

}  // namespace vellumor::dialog
