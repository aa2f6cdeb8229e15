#include "ui/model/AdvancedDialog.h"

#include <array>
#include <optional>

#include "platform/Shell.h"
#include "settings/Choices.h"
#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

// The tree, in the order it is built; "Creation" and "Vellumor" are the roots.
constexpr std::array<Item, 8> kTree{{{"Creation"},
                                     {"Saving PDF", 0},
                                     {"PDF settings", 0},
                                     {"Initial view", 0},
                                     {"Open with", 0},
                                     {"Sheafwright", 0},
                                     {"Vellumor"},
                                     {"Updates", 6}}};
constexpr int kSavingPdfItem = 1;

constexpr Rect kPrefix{183, 37, 124, 14};
constexpr Rect kPostfix{183, 54, 124, 14};
constexpr Rect kAppend{181, 99, 125, kListHeight};
constexpr Rect kFixedName{187, 116, 119, 14};
constexpr Rect kPdfVersion{174, 42, 48, kListHeight};
constexpr Rect kResolution{174, 65, 48, 14};
constexpr Rect kZoom{148, 23, 48, kListHeight};
constexpr Rect kCheckUpdate{206, 22, 54, kListHeight};

// Every control of the pages is drawn on white.
constexpr Control CheckBox(int id, int x, int y, std::string_view text, std::string_view field) {
  return {.id = id,
          .kind = Kind::CheckBox,
          .text = text,
          .rect = CheckBoxAt(x, y, text),
          .fit = Fit::TextWidth,
          .brush = Brush::White,
          .field = field};
}

constexpr Control Edit(int id, Rect rect, std::string_view field) {
  return {.id = id, .kind = Kind::Edit, .rect = rect, .brush = Brush::White, .field = field};
}

constexpr Control DropDown(int id, Rect rect, std::span<const std::string_view> entries, std::string_view field,
                           std::uint32_t style = kNoStyle) {
  return {.id = id,
          .kind = Kind::DropDown,
          .rect = rect,
          .style = style,
          .entries = entries,
          .brush = Brush::White,
          .field = field};
}

constexpr Control Label(int id, int buddy, Rect buddyRect, std::string_view text) {
  return {.id = id,
          .kind = Kind::Label,
          .text = text,
          .rect = LabelBefore(buddyRect, text),
          .fit = Fit::BeforeBuddy,
          .buddy = buddy,
          .brush = Brush::White};
}

constexpr std::array kControls{
    Control{.kind = Kind::GroupBox, .rect = {106, 3, 210, 146}, .brush = Brush::White},
    Control{.id = AdvancedDialog::kTreeId,
            .kind = Kind::TreeView,
            .rect = {7, 7, 95, 142},
            .style = kExpandAll,
            .items = kTree},
    // Saving PDF
    CheckBox(1016, 116, 21, "Ask to overwrite files", "AdvAskOverwrite"),
    Edit(1066, kPrefix, "AdvPrefixFilename"),
    Label(1065, 1066, kPrefix, "Prefix filename with:"),
    Edit(1068, kPostfix, "AdvPostfixFilename"),
    Label(1067, 1068, kPostfix, "Postfix filename with:"),
    Control{.id = 1069,
            .kind = Kind::Label,
            .text = "Use date time e.g. [hh] for hour.\ne.g. [YYYY]-[MM]-[DD] [hh].[mm].[ss]",
            .rect = {117, 74, 126, 21},
            .style = kTop,
            .brush = Brush::White},
    DropDown(1070, kAppend, settings::kExistingPdfChoices, "AdvAppend"),
    Label(1071, 1070, kAppend, "If PDF exists:"),
    Edit(1074, kFixedName, "AdvFixedFilename"),
    Label(1077, 1074, kFixedName, "Use fixed PDF filename:"),
    CheckBox(1072, 111, 135, "Show creating pdf progress", "AdvShowProgress"),
    CheckBox(1073, 215, 135, "Show creating pdf window", "AdvShowWindow"),
    // PDF settings
    CheckBox(1041, 116, 24, "Auto rotate pages", "AdvAutoRotatePages"),
    DropDown(1038, kPdfVersion, settings::kPdfVersions, "AdvPdfVersion", kSorted),
    Label(1037, 1038, kPdfVersion, "PDF Version:"),
    Edit(1040, kResolution, "AdvPdfResolution"),
    Label(1039, 1040, kResolution, "PDF Resolution:"),
    // Initial view
    DropDown(1043, kZoom, settings::kZoomLevels, "AdvZoom"),
    Label(1044, 1043, kZoom, "Zoom %:"),
    // Open with: the viewer's edit starts at the page's left edge, so its label stands above it.
    CheckBox(AdvancedDialog::kDefaultViewerId, 116, 24, "Open PDF document with default viewer", "AdvOpenDefaultPDF"),
    Edit(AdvancedDialog::kViewerId, {115, 52, 157, 14}, "AdvOpenWith"),
    Control{.id = 1021,
            .kind = Kind::Label,
            .text = "View PDF with:-",
            .rect = LabelAt(115, 42, "View PDF with:-"),
            .fit = Fit::TextWidth,
            .brush = Brush::White},
    Control{.id = AdvancedDialog::kBrowseId,
            .kind = Kind::Button,
            .text = "&Browse",
            .rect = {276, 52, 32, 14},
            .brush = Brush::White},
    // Sheafwright
    CheckBox(1045, 117, 25, "Use output file naming from Sheafwright", "AdvSheafwrightFilename"),
    // Updates
    DropDown(1047, kCheckUpdate, settings::kUpdateIntervals, "AdvCheckUpdate"),
    Label(1046, 1047, kCheckUpdate, "Check for an update every: "),
    Control{
        .id = kOkId, .kind = Kind::Button, .text = "Save/Exit", .rect = {127, 172, 69, 14}, .style = kDefaultButton},
    Control{.id = kCancelId, .kind = Kind::Button, .text = "Cancel", .rect = {266, 172, 50, 14}},
};

// The controls of each page, labels included.
constexpr std::array<int, 12> kSavingPdf{1016, 1066, 1065, 1068, 1067, 1069, 1070, 1071, 1074, 1077, 1072, 1073};
constexpr std::array<int, 5> kPdfSettings{1041, 1038, 1037, 1040, 1039};
constexpr std::array<int, 2> kInitialView{1043, 1044};
constexpr std::array<int, 4> kOpenWith{AdvancedDialog::kDefaultViewerId, AdvancedDialog::kViewerId, 1021,
                                       AdvancedDialog::kBrowseId};
constexpr std::array<int, 1> kSheafwright{1045};
constexpr std::array<int, 2> kUpdates{1047, 1046};

struct Page {
  std::string_view name;
  std::span<const int> controls;
};
// A root shows the page of its first child.
constexpr std::array<Page, 8> kPages{{{"Saving PDF", kSavingPdf},
                                      {"Creation", kSavingPdf},
                                      {"PDF settings", kPdfSettings},
                                      {"Initial view", kInitialView},
                                      {"Open with", kOpenWith},
                                      {"Sheafwright", kSheafwright},
                                      {"Vellumor", kUpdates},
                                      {"Updates", kUpdates}}};

int TreeItemNamed(std::string_view name) {
  for (std::size_t index = 0; index < kTree.size(); ++index) {
    if (kTree[index].text == name) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

}  // namespace

const DialogDescription kAdvancedWindow{
    .templateId = 138,
    .caption = "Advanced",
    .width = 323,
    .height = 193,
    .background = resources::kOptionsBackground,
    .controls = kControls,
};

void AdvancedDialog::Initialise(DialogView& view) {
  RecordDialog::Initialise(view);
  if (rememberedPage_.empty()) {
    view.SetSelection(kTreeId, kSavingPdfItem);
    ShowPage(view, std::string{kTree[kSavingPdfItem].text});
    return;
  }
  // "Creation" is remembered by its own name but marks the item whose page it shows.
  view.SetSelection(kTreeId, rememberedPage_ == kTree[0].text ? kSavingPdfItem : TreeItemNamed(rememberedPage_));
  ShowPage(view, rememberedPage_);
}

void AdvancedDialog::ShowPage(DialogView& view, const std::string& name) {
  for (const Page& page : kPages) {
    for (const int id : page.controls) {
      view.SetVisible(id, false);
    }
  }
  for (const Page& page : kPages) {
    if (page.name == name) {
      for (const int id : page.controls) {
        view.SetVisible(id, true);
      }
      break;
    }
  }
  // The viewer path matters only when the default viewer is not used.
  const bool ownViewer = settings_.AdvOpenDefaultPDF == 0;
  view.SetEnabled(kViewerId, ownViewer);
  view.SetEnabled(kBrowseId, ownViewer);
  currentPage_ = name;
}

void AdvancedDialog::ItemClicked(DialogView& view, int id, int item) {
  if (id != kTreeId) {
    return;
  }
  // Beside every item, nothing is marked and no page is shown.
  const bool onItem = item >= 0 && item < static_cast<int>(kTree.size());
  view.SetSelection(kTreeId, onItem ? item : -1);
  ShowPage(view, onItem ? std::string{kTree[static_cast<std::size_t>(item)].text} : std::string{});
}

void AdvancedDialog::Command(DialogView& view, int id) {
  switch (id) {
    case kDefaultViewerId:
      Take(view);
      ShowPage(view, currentPage_);
      break;
    case kBrowseId:
      Browse(view);
      break;
    default:
      RecordDialog::Command(view, id);
  }
}

void AdvancedDialog::Browse(DialogView& view) {
  Take(view);
  platform::FileDialogRequest request;
  request.title = "Select a exe to open the pdf with";
  const std::string programs{platform::ProgramFilePattern()};
  request.filters = {{"Open PDF with (" + programs + ")", programs}, {"All Files (*.*)", "*.*"}};
  request.defaultExtension = "pdf";
  request.initialName = settings_.AdvOpenWith;
  if (std::optional<std::string> chosen = interaction_.ChooseOpenFile(request)) {
    settings_.AdvOpenWith = *chosen;
    LoadFields(view, Description(), settings_);
  }
}

}  // namespace vellumor::dialog
