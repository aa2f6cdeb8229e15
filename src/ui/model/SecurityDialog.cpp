#include "ui/model/SecurityDialog.h"

#include <array>

#include "settings/Choices.h"
#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

constexpr Rect kOpenPassword{94, 35, 203, 14};
constexpr Rect kPermPassword{93, 102, 203, 14};
constexpr Rect kPrinting{93, 121, 204, kListHeight};
constexpr Rect kChanges{93, 139, 204, kListHeight};

// Numbered controls are drawn on white; the unnumbered labels and frames show the background.
constexpr std::array kControls{
    Control{.kind = Kind::GroupBox, .text = "Open password", .rect = {20, 14, 305, 54}, .brush = Brush::Background},
    Control{.kind = Kind::GroupBox, .text = "Permissions", .rect = {21, 82, 303, 123}, .brush = Brush::Background},
    Control{
        .id = 1024, .kind = Kind::Password, .rect = kOpenPassword, .brush = Brush::White, .field = "SecOpenPassword"},
    Control{.kind = Kind::Label,
            .text = "Password:",
            .rect = LabelBefore(kOpenPassword, "Password:"),
            .fit = Fit::BeforeBuddy,
            .buddy = 1024,
            .brush = Brush::Background},
    Control{.kind = Kind::Label,
            .text = "Leave blank if no open password",
            .rect = LabelAt(94, 52, "Leave blank if no open password"),
            .fit = Fit::TextWidth,
            .brush = Brush::Background},
    Control{
        .id = 1025, .kind = Kind::Password, .rect = kPermPassword, .brush = Brush::White, .field = "SecPermPassword"},
    Control{.kind = Kind::Label,
            .text = "Password:",
            .rect = LabelBefore(kPermPassword, "Password:"),
            .fit = Fit::BeforeBuddy,
            .buddy = 1025,
            .brush = Brush::Background},
    Control{.id = 1026,
            .kind = Kind::DropDown,
            .rect = kPrinting,
            .style = kSorted,
            .entries = settings::kPrintingPermissions,
            .brush = Brush::White,
            .field = "SecPermPrinting"},
    Control{.kind = Kind::Label,
            .text = "Printing allowed:",
            .rect = LabelBefore(kPrinting, "Printing allowed:"),
            .fit = Fit::BeforeBuddy,
            .buddy = 1026,
            .brush = Brush::Background},
    Control{.id = 1027,
            .kind = Kind::DropDown,
            .rect = kChanges,
            .style = kSorted,
            .entries = settings::kChangesPermissions,
            .brush = Brush::White,
            .field = "SecPermChanges"},
    Control{.kind = Kind::Label,
            .text = "Changes allowed:",
            .rect = LabelBefore(kChanges, "Changes allowed:"),
            .fit = Fit::BeforeBuddy,
            .buddy = 1027,
            .brush = Brush::Background},
    Control{.id = 1028,
            .kind = Kind::CheckBox,
            .text = "Enable copying of text, images && other content",
            .rect = CheckBoxAt(92, 165, "Enable copying of text, images && other content"),
            .fit = Fit::TextWidth,
            .brush = Brush::White,
            .field = "SecPermCopy"},
    Control{.id = 1029,
            .kind = Kind::CheckBox,
            .text = "Enable text access for screen reader devices for the visually impared",
            .rect = {92, 183, 181, 17},
            .style = kMultiLine,
            .brush = Brush::White,
            .field = "SecPermText"},
    Control{.id = 1030,
            .kind = Kind::CheckBox,
            .text = "Always use these settings",
            .rect = CheckBoxAt(21, 217, "Always use these settings"),
            .fit = Fit::TextWidth,
            .brush = Brush::White,
            .field = "SecAlwaysUse"},
    Control{
        .id = kOkId, .kind = Kind::Button, .text = "Save/Exit", .rect = {133, 215, 76, 14}, .style = kDefaultButton},
    Control{.id = kCancelId, .kind = Kind::Button, .text = "Cancel", .rect = {275, 215, 50, 14}},
};

}  // namespace

const DialogDescription kSecurityWindow{
    .templateId = 139,
    .caption = "Add Security",
    .width = 344,
    .height = 241,
    .background = resources::kMainBackground,
    .controls = kControls,
};

}  // namespace vellumor::dialog
