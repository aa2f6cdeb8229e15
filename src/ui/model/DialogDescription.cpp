#include "ui/model/DialogDescription.h"

#include <algorithm>

namespace vellumor::dialog {

const Control* FindControl(const DialogDescription& dialog, int id) {
  if (id == kNoId) {
    return nullptr;
  }
  const auto found =
      std::find_if(dialog.controls.begin(), dialog.controls.end(), [id](const Control& c) { return c.id == id; });
  return found != dialog.controls.end() ? &*found : nullptr;
}

}  // namespace vellumor::dialog
