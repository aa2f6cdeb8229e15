#include "ui/model/DocumentPropertiesDialog.h"

#include <array>

#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

constexpr Rect kTitle{57, 20, 162, 14};
constexpr Rect kAuthor{57, 45, 162, 14};
constexpr Rect kSubject{57, 70, 162, 14};
constexpr Rect kKeywords{57, 95, 162, 31};  // one line of keywords in a taller box, written from its top

// Every control is drawn on white.
constexpr Control Edit(int id, Rect rect, std::string_view field, std::uint32_t style = kNoStyle) {
  return {.id = id, .kind = Kind::Edit, .rect = rect, .style = style, .brush = Brush::White, .field = field};
}

constexpr Control Label(int buddy, Rect buddyRect, std::string_view text) {
  return {.kind = Kind::Label,
          .text = text,
          .rect = LabelBefore(buddyRect, text),
          .fit = Fit::BeforeBuddy,
          .buddy = buddy,
          .brush = Brush::White};
}

constexpr std::array kControls{
    Edit(1031, kTitle, "DocTitle"),
    Label(1031, kTitle, "Title:"),
    Edit(1032, kAuthor, "DocAuthor"),
    Label(1032, kAuthor, "Author:"),
    Edit(1033, kSubject, "DocSubject"),
    Label(1033, kSubject, "Subject:"),
    Edit(1034, kKeywords, "DocKeywords", kTop),
    Label(1034, kKeywords, "Keywords:"),
    Control{.id = 1035,
            .kind = Kind::CheckBox,
            .text = "Always use these settings",
            .rect = CheckBoxAt(59, 140, "Always use these settings"),
            .fit = Fit::TextWidth,
            .brush = Brush::White,
            .field = "DocAlwaysUse"},
    Control{.id = DocumentPropertiesDialog::kClearAllId,
            .kind = Kind::Button,
            .text = "Clear ALL",
            .rect = {7, 172, 50, 14}},
    Control{.id = kOkId, .kind = Kind::Button, .text = "Save/Exit", .rect = {95, 172, 69, 14}, .style = kDefaultButton},
    Control{.id = kCancelId, .kind = Kind::Button, .text = "Cancel", .rect = {203, 172, 50, 14}},
};

}  // namespace

const DialogDescription kDocumentPropertiesWindow{
    .templateId = 141,
    .caption = "Document Properties",
    .width = 260,
    .height = 193,
    .background = resources::kMainBackground,
    .controls = kControls,
};

// Takes effect at once: the window stays open and a later "Cancel" keeps the fields cleared.
void DocumentPropertiesDialog::Command(DialogView& view, int id) {
  if (id != kClearAllId) {
    RecordDialog::Command(view, id);
    return;
  }
  TakeFields(view, Description(), settings_);
  settings_.DocAlwaysUse = 0;
  settings_.DocTitle.clear();
  settings_.DocAuthor.clear();
  settings_.DocSubject.clear();
  settings_.DocKeywords.clear();
  LoadFields(view, Description(), settings_);
}

}  // namespace vellumor::dialog
