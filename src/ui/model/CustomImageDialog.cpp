#include "ui/model/CustomImageDialog.h"

#include <algorithm>
#include <array>

#include "settings/Choices.h"
#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

constexpr std::array<Item, 3> kKinds{{{"Color", -1, resources::kColorKindIcon},
                                      {"Greyscale", -1, resources::kGreyscaleKindIcon},
                                      {"Mono", -1, resources::kMonoKindIcon}}};

// Every control but the buttons, the frame and the list is drawn on white.
constexpr Control Label(int id, int x, int y, std::string_view text) {
  return {.id = id,
          .kind = Kind::Label,
          .text = text,
          .rect = LabelAt(x, y, text),
          .fit = Fit::TextWidth,
          .brush = Brush::White};
}

constexpr Control DropDown(int id, int x, int y, std::span<const std::string_view> entries, std::string_view field) {
  return {.id = id,
          .kind = Kind::DropDown,
          .rect = {x, y, 124, kListHeight},
          .entries = entries,
          .brush = Brush::White,
          .field = field};
}

constexpr Control Resolution(int id, int x, int y, std::string_view field) {
  return {.id = id, .kind = Kind::Edit, .rect = {x, y, 40, 14}, .brush = Brush::White, .field = field};
}

// The controls keep the order of the record's exchange: resolutions are checked in this order.
constexpr std::array kControls{
    Control{.id = CustomImageDialog::kFrameId, .kind = Kind::GroupBox, .rect = {84, 3, 276, 156}},
    Label(1051, 141, 34, "Downsampling:"),
    Label(1053, 159, 63, "Downsample images above"),
    Label(1055, 325, 62, "PPI"),
    Label(1056, 240, 84, "to"),
    Label(1058, 325, 84, "PPI"),
    // Color
    DropDown(1052, 197, 32, settings::kDownsamplings, "ColorDownSample"),
    Resolution(1054, 277, 60, "ColorFromPPI"),
    Resolution(1057, 277, 81, "ColorToPPI"),
    Control{.id = 1059,
            .kind = Kind::CheckBox,
            .text = "Convert CMYK to RGB for on screen viewing",
            .rect = CheckBoxAt(125, 110, "Convert CMYK to RGB for on screen viewing"),
            .fit = Fit::TextWidth,
            .brush = Brush::White,
            .field = "ColorConvert"},
    // Greyscale
    DropDown(1062, 197, 32, settings::kDownsamplings, "GreyDownSample"),
    Resolution(1064, 278, 60, "GreyFromPPI"),
    Resolution(1065, 278, 82, "GreyToPPI"),
    // Mono
    DropDown(1063, 196, 32, settings::kDownsamplings, "MonoDownSample"),
    Resolution(1066, 277, 60, "MonoFromPPI"),
    Resolution(1067, 277, 82, "MonoToPPI"),
    DropDown(1060, 195, 107, settings::kMonoCompressions, "Compression"),
    Label(1061, 146, 110, "Compression:"),
    Control{
        .id = kOkId, .kind = Kind::Button, .text = "Save/Exit", .rect = {162, 169, 75, 14}, .style = kDefaultButton},
    Control{.id = kCancelId, .kind = Kind::Button, .text = "Cancel", .rect = {310, 169, 50, 14}},
    Control{.id = CustomImageDialog::kKindListId, .kind = Kind::ListView, .rect = {7, 7, 72, 152}, .items = kKinds},
};

// The controls only one kind shows, in the order of kKinds.
constexpr std::array<int, 4> kColor{1052, 1054, 1057, 1059};
constexpr std::array<int, 3> kGreyscale{1062, 1064, 1065};
constexpr std::array<int, 5> kMono{1063, 1066, 1067, 1060, 1061};
constexpr std::array<std::span<const int>, 3> kKindControls{kColor, kGreyscale, kMono};

// The kind whose controls hold `id`, or -1.
int KindOf(int id) {
  for (std::size_t kind = 0; kind < kKindControls.size(); ++kind) {
    if (std::ranges::find(kKindControls[kind], id) != kKindControls[kind].end()) {
      return static_cast<int>(kind);
    }
  }
  return -1;
}

}  // namespace

const DialogDescription kCustomImageWindow{
    .templateId = 145,
    .caption = "Custom",
    .width = 367,
    .height = 190,
    .background = resources::kOptionsBackground,
    .controls = kControls,
};

void CustomImageDialog::Initialise(DialogView& view) {
  RecordDialog::Initialise(view);
  ShowKind(view, rememberedKind_.empty() ? kKinds[0].text : std::string_view{rememberedKind_});
}

void CustomImageDialog::ShowKind(DialogView& view, std::string_view name) {
  for (const std::span<const int> controls : kKindControls) {
    for (const int id : controls) {
      view.SetVisible(id, false);
    }
  }
  for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
    if (kKinds[kind].text != name) {
      continue;
    }
    for (const int id : kKindControls[kind]) {
      view.SetVisible(id, true);
    }
    view.SetText(kFrameId, name);
    // Only the kind shown appears selected.
    view.SetSelection(kKindListId, static_cast<int>(kind));
  }
  currentKind_ = std::string{name};
}

void CustomImageDialog::ItemClicked(DialogView& view, int id, int /*item*/) {
  // The first selected item decides; a click beside every item clears the selection and leaves
  // the kind shown as it is.
  const int selected = id == kKindListId ? view.Selection(kKindListId) : -1;
  if (selected >= 0 && selected < static_cast<int>(kKinds.size())) {
    ShowKind(view, kKinds[static_cast<std::size_t>(selected)].text);
  }
}

bool CustomImageDialog::Take(DialogView& view) {
  const int refused = TakeFields(view, Description(), settings_);
  if (refused == kNoId) {
    return true;
  }
  if (const int kind = KindOf(refused); kind >= 0) {
    ShowKind(view, kKinds[static_cast<std::size_t>(kind)].text);
  }
  interaction_.ShowMessage("Please enter an integer.", platform::MessageStyle::Application);
  view.SetFocus(refused);
  return false;
}

}  // namespace vellumor::dialog
