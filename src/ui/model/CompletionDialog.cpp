#include "ui/model/CompletionDialog.h"

#include <array>

#include "platform/UserInteraction.h"

namespace vellumor::dialog {

namespace {

constexpr std::array kControls{
    Control{.kind = Kind::Label, .text = "Completed, do you want to open the pdf now?", .rect = {10, 8, 254, 10}},
    Control{.id = CompletionDialog::kFileLineId,
            .kind = Kind::Label,
            .rect = {10, 22, 254, 30},
            .style = kTop | kMultiLine},
    Control{.id = CompletionDialog::kYesId,
            .kind = Kind::Button,
            .text = "Yes",
            .rect = {52, 58, 50, 14},
            .style = kDefaultButton},
    Control{.id = CompletionDialog::kNoId, .kind = Kind::Button, .text = "No", .rect = {112, 58, 50, 14}},
    Control{.id = CompletionDialog::kSettingsId, .kind = Kind::Button, .text = "&Settings", .rect = {172, 58, 50, 14}},
};

}  // namespace

const DialogDescription kCompletionWindow{
    .caption = "Vellumor - PDF Output",
    .width = 274,
    .height = 81,
    .controls = kControls,
};

void CompletionDialog::Initialise(DialogView& view) {
  view.SetText(kFileLineId, fileLine_);
  view.SetFocus(kYesId);
}

void CompletionDialog::Command(DialogView& view, int id) {
  switch (id) {
    case kYesId:
      view.Close(platform::kCompletionYes);
      break;
    case kNoId:
      view.Close(platform::kCompletionNo);
      break;
    case kSettingsId:
      view.Close(platform::kCompletionSettings);
      break;
    default:
      break;
  }
}

void CompletionDialog::Dismissed(DialogView& view) {
  view.Close(platform::kCompletionNo);
}

}  // namespace vellumor::dialog
