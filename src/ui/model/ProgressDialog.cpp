#include "ui/model/ProgressDialog.h"

#include <array>

namespace vellumor::dialog {

namespace {

constexpr std::array kControls{
    Control{.id = ProgressDialog::kFileLineId,
            .kind = Kind::Label,
            .rect = {0, 4, 144, 20},
            .style = kCentred | kTop | kMultiLine},
    Control{.id = ProgressDialog::kPageLineId,
            .kind = Kind::Label,
            .rect = {0, 26, 144, 17},
            .style = kCentred | kTop | kMultiLine},
};

}  // namespace

const DialogDescription kProgressWindow{
    .caption = "PDF file creation progress",
    .width = 144,
    .height = 60,
    .style = kCaption,
    .controls = kControls,
};

}  // namespace vellumor::dialog
