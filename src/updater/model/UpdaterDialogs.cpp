#include "updater/model/UpdaterDialogs.h"

#include <array>

#include "ui/model/Resources.h"
#include "updater/UpdateCheck.h"

namespace vellumor::updater {

namespace {

using dialog::Brush;
using dialog::Control;
using dialog::Kind;
using Status = UpdaterStatusRules;

// Texts and frames lie straight on the tiled background.
constexpr Control Text(int id, std::string_view text, dialog::Rect rect, std::uint32_t style = dialog::kNoStyle) {
  return {.id = id, .kind = Kind::Label, .text = text, .rect = rect, .style = style, .brush = Brush::Background};
}

constexpr Control Frame(std::string_view caption, dialog::Rect rect) {
  return {.kind = Kind::GroupBox, .text = caption, .rect = rect, .brush = Brush::Background};
}

constexpr std::array kStatusControls{
    Frame("Local", {18, 7, 231, 55}),
    Text(dialog::kNoId, "Product:", {30, 23, 48, 8}),
    Text(Status::kProductFieldId, "", {81, 23, 173, 8}),
    Text(dialog::kNoId, "Version:", {30, 44, 48, 8}),
    Text(Status::kVersionFieldId, "", {81, 44, 47, 8}),
    Frame("Web", {19, 65, 228, 89}),
    Text(dialog::kNoId, "Corvane Version:", {25, 82, 54, 8}),
    Text(Status::kMakerVersionFieldId, "", {80, 82, 47, 8}),
    Text(dialog::kNoId, "CNET Version:", {25, 100, 53, 8}),
    Text(Status::kPortalVersionFieldId, "", {79, 100, 47, 8}),
    Text(dialog::kNoId, "Status:", {25, 124, 53, 8}),
    Text(Status::kStatusFieldId, "", {80, 124, 161, 22}, dialog::kMultiLine | dialog::kTop),
};

constexpr std::array<dialog::MenuItem, 2> kStatusSystemMenu{{{"", 0}, {"&About Updater...", Status::kAboutCommand}}};

constexpr std::array kOfferControls{
    Frame("", {7, 3, 254, 103}),
    Text(NewVersionRules::kOfferLineId, "", {30, 14, 221, 22}, dialog::kMultiLine | dialog::kTop),
    Text(NewVersionRules::kQuestionLineId, "", {30, 41, 221, 24}, dialog::kMultiLine | dialog::kTop),
    Control{.id = kOfferUpdate,
            .kind = Kind::Button,
            .text = "Update",
            .rect = {29, 68, 218, 28},
            .style = dialog::kDefaultButton | dialog::kLargeText},
    Control{.id = NewVersionRules::kNeverId, .kind = Kind::Button, .text = "Never", .rect = {7, 113, 50, 14}},
    Control{.id = NewVersionRules::kNotNowId, .kind = Kind::Button, .text = "Not now", .rect = {109, 113, 50, 14}},
    Control{.id = dialog::kCancelId, .kind = Kind::Button, .text = "Cancel", .rect = {211, 113, 50, 14}},
};

constexpr std::array kAboutControls{
    Control{.kind = Kind::Icon, .rect = {11, 17, 20, 20}, .resource = dialog::resources::kApplicationIcon},
    Control{.kind = Kind::Label, .text = "Updater Version 1.01", .rect = {40, 10, 119, 8}},
    Control{.kind = Kind::Label, .text = "Copyright (C) 2024 Corvane Software", .rect = {40, 25, 150, 8}},
    Control{.id = dialog::kOkId,
            .kind = Kind::Button,
            .text = "OK",
            .rect = {178, 7, 50, 14},
            .style = dialog::kDefaultButton},
};

// A status line as the window shows it: line breaks as one, no blank edges.
std::string ShownStatus(std::string_view status) {
  std::string shown;
  for (std::size_t at = 0; at < status.size(); ++at) {
    if (status[at] != '\r' || at + 1 >= status.size() || status[at + 1] != '\n') {
      shown += status[at];
    }
  }
  const std::size_t first = shown.find_first_not_of(" \t\r\n");
  const std::size_t last = shown.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? std::string{} : shown.substr(first, last - first + 1);
}

}  // namespace

const dialog::DialogDescription kUpdaterStatusWindow{
    .templateId = 102,
    .caption = "Corvane Software Updater",
    .width = 271,
    .height = 182,
    .style =
        dialog::kCaption | dialog::kSystemMenu | dialog::kMinimiseBox | dialog::kTaskBar | dialog::kIgnoreEnterEscape,
    .background = dialog::resources::kMainBackground,
    .icon = dialog::resources::kApplicationIcon,
    .systemMenu = kStatusSystemMenu,
    .controls = kStatusControls,
};

const dialog::DialogDescription kNewVersionWindow{
    .templateId = 129,
    .caption = "New Version Available",
    .width = 268,
    .height = 134,
    .style = dialog::kCaption | dialog::kSystemMenu | dialog::kIgnoreEnterEscape,
    .background = dialog::resources::kMainBackground,
    .controls = kOfferControls,
};

const dialog::DialogDescription kUpdaterAboutWindow{
    .templateId = 100,
    .caption = "About Updater",
    .width = 235,
    .height = 55,
    .icon = dialog::resources::kApplicationIcon,
    .controls = kAboutControls,
};

void NewVersionRules::SetLines(std::string offer, std::string question) {
  offer_ = std::move(offer);
  question_ = std::move(question);
}

void NewVersionRules::Initialise(dialog::DialogView& view) {
  view.SetText(kOfferLineId, offer_);
  view.SetText(kQuestionLineId, question_);
}

void NewVersionRules::Command(dialog::DialogView& view, int id) {
  switch (id) {
    case kOfferUpdate:
      view.Close(kOfferUpdate);
      break;
    case kNeverId:
      view.Close(kOfferNever);
      break;
    case kNotNowId:
    case dialog::kCancelId:
      view.Close(kOfferNotNow);
      break;
    default:
      break;
  }
}

void UpdaterAboutRules::Command(dialog::DialogView& view, int id) {
  if (id == dialog::kOkId) {
    view.Close(dialog::kOkId);
  }
}

void UpdaterStatusRules::Initialise(dialog::DialogView& view) {
  view_ = &view;
  ShowStatus(context_);
}

int UpdaterStatusRules::Run() {
  // Without a product name there is nothing to show, and without a key name the check would read
  // and stamp the maker's own key, which every product of the maker shares: no check at all.
  if (view_ == nullptr || context_.arguments.productName.empty() || context_.arguments.productKey.empty()) {
    return kDone;
  }
  const CheckOutcome outcome = UpdateCheck{context_, services_, *this}.Run();
  if (!outcome.transportFailure) {
    return outcome.result;
  }
  frontEnd_.Tell(outcome.transportFailure->empty() ? kInternalError : std::string_view{*outcome.transportFailure},
                 UpdaterFrontEnd::Icon::Stop);
  return kStayOpen;
}

void UpdaterStatusRules::Command(dialog::DialogView& view, int id) {
  if (id == kAboutCommand) {
    view.RunModal(about_);
  }
}

void UpdaterStatusRules::Dismissed(dialog::DialogView& view) {
  view.Close(kWindowClosed);
}

void UpdaterStatusRules::ShowStatus(const CheckContext& context) {
  if (view_ == nullptr) {
    return;
  }
  view_->SetText(kProductFieldId, context.arguments.productName);
  view_->SetText(kVersionFieldId, context.arguments.productVersion);
  view_->SetText(kMakerVersionFieldId, context.makerVersionText);
  view_->SetText(kPortalVersionFieldId, context.portalVersionText);
  view_->SetText(kStatusFieldId, ShownStatus(context.status));
  frontEnd_.PumpMessages();
}

int UpdaterStatusRules::AskOffer(std::string_view offerLine, std::string_view questionLine) {
  offer_.SetLines(std::string{offerLine}, std::string{questionLine});
  return view_ != nullptr ? view_->RunModal(offer_) : kOfferFailed;
}

void UpdaterStatusRules::ShowNoUpdates(std::string_view text) {
  frontEnd_.Tell(text, UpdaterFrontEnd::Icon::Exclamation);
}

void UpdaterStatusRules::OpenPage(std::string_view address) {
  frontEnd_.OpenPage(address);
}

}  // namespace vellumor::updater
