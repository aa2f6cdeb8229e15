#include "updater/UpdaterWindows.h"

#include <array>
#include <utility>

#include "updater/UpdateCheck.h"

namespace vellumor::updater {

namespace {

using dialog::Brush;
using dialog::Control;
using dialog::Kind;

// Texts and frames draw straight onto the tiled background.
constexpr Control Text(int id, std::string_view text, dialog::Rect rect, std::uint32_t style = dialog::kNoStyle) {
  return {.id = id,
          .kind = Kind::Label,
          .text = text,
          .rect = rect,
          .style = dialog::kTop | style,
          .brush = Brush::Background};
}

constexpr Control Frame(std::string_view caption, dialog::Rect rect) {
  return {.kind = Kind::GroupBox, .text = caption, .rect = rect, .brush = Brush::Background};
}

constexpr Control Button(int id, std::string_view text, dialog::Rect rect, std::uint32_t style = dialog::kNoStyle) {
  return {.id = id, .kind = Kind::Button, .text = text, .rect = rect, .style = style};
}

constexpr std::array kStatusControls{
    Frame("Local", {18, 7, 231, 55}),
    Text(dialog::kNoId, "Product:", {30, 23, 48, 8}),
    Text(kProductFieldId, "", {81, 23, 173, 8}),
    Text(dialog::kNoId, "Version:", {30, 44, 48, 8}),
    Text(kVersionFieldId, "", {81, 44, 47, 8}),
    Frame("Web", {19, 65, 228, 89}),
    Text(dialog::kNoId, "Corvane Version:", {25, 82, 54, 8}),
    Text(kMakerVersionFieldId, "", {80, 82, 47, 8}),
    Text(dialog::kNoId, "CNET Version:", {25, 100, 53, 8}),
    Text(kPortalVersionFieldId, "", {79, 100, 47, 8}),
    Text(dialog::kNoId, "Status:", {25, 124, 53, 8}),
    Text(kStatusFieldId, "", {80, 124, 161, 22}, dialog::kMultiLine),
};
constexpr std::array<dialog::MenuItem, 2> kStatusSystemMenu{{{"", 0}, {kAboutMenuText, kAboutCommandId}}};

constexpr std::array kOfferControls{
    Frame("", {7, 3, 254, 103}),
    Text(kOfferLineId, "", {30, 14, 221, 22}, dialog::kMultiLine),
    Text(kQuestionLineId, "", {30, 41, 221, 24}, dialog::kMultiLine),
    Button(kUpdateButtonId, "Update", {29, 68, 218, 28}, dialog::kDefaultButton | dialog::kLargeText),
    Button(kNeverButtonId, "Never", {7, 113, 50, 14}),
    Button(kNotNowButtonId, "Not now", {109, 113, 50, 14}),
    Button(kCancelButtonId, "Cancel", {211, 113, 50, 14}),
};

constexpr std::array kAboutControls{
    Control{.kind = Kind::Icon, .rect = {11, 17, 20, 20}, .resource = kUpdaterIcon},
    Text(dialog::kNoId, kAboutVersionLine, {40, 10, 119, 8}),
    Text(dialog::kNoId, kAboutMakerLine, {40, 25, 150, 8}),
    Button(dialog::kOkId, "OK", {178, 7, 50, 14}, dialog::kDefaultButton),
};

// The status line as its field shows it: one line break per CR LF, no blanks around it.
std::string StatusText(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return first == std::string::npos ? std::string{} : text.substr(first, last - first + 1);
}

}  // namespace

const dialog::DialogDescription kStatusWindow{
    .templateId = 102,
    .caption = "Corvane Software Updater",
    .width = 271,
    .height = 182,
    .style = dialog::kCaption | dialog::kSystemMenu | dialog::kMinimiseBox | dialog::kIgnoreEnterEscape,
    .background = kUpdaterBackground,
    .icon = kUpdaterIcon,
    .systemMenu = kStatusSystemMenu,
    .controls = kStatusControls,
};

const dialog::DialogDescription kOfferWindow{
    .templateId = 129,
    .caption = "New Version Available",
    .width = 268,
    .height = 134,
    .style = dialog::kCaption | dialog::kSystemMenu | dialog::kIgnoreEnterEscape,
    .background = kUpdaterBackground,
    .controls = kOfferControls,
};

const dialog::DialogDescription kUpdaterAboutWindow{
    .templateId = 100,
    .caption = "About Updater",
    .width = 235,
    .height = 55,
    .icon = kUpdaterIcon,
    .controls = kAboutControls,
};

void OfferRules::SetLines(std::string offerLine, std::string questionLine) {
  offerLine_ = std::move(offerLine);
  questionLine_ = std::move(questionLine);
}

void OfferRules::Initialise(dialog::DialogView& view) {
  view.SetText(kOfferLineId, offerLine_);
  view.SetText(kQuestionLineId, questionLine_);
}

void OfferRules::Command(dialog::DialogView& view, int id) {
  switch (id) {
    case kUpdateButtonId:
      view.Close(kOfferUpdate);
      break;
    case kNeverButtonId:
      view.Close(kOfferNever);
      break;
    // "Cancel" means the same as "Not now".
    case kNotNowButtonId:
    case kCancelButtonId:
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

StatusRules::StatusRules(UpdateArguments arguments, const CheckServices& services)
    : context_{std::move(arguments), {}, {}, {}, {}, {}}, services_{services} {}

void StatusRules::Command(dialog::DialogView& /*view*/, int id) {
  if (id == kAboutCommandId && host_ != nullptr) {
    host_->RunAbout(about_);
  }
}

int StatusRules::Run(dialog::DialogView& view) {
  view_ = &view;
  Show(view);
  // Without a product name there is nothing to show, and without a key name the check would read
  // and stamp the maker's own key, which every product of the maker shares: no check at all.
  if (context_.arguments.productName.empty() || context_.arguments.productKey.empty()) {
    view_ = nullptr;
    return kUpdateDone;
  }
  const CheckOutcome outcome = UpdateCheck{context_, services_, *this}.Run();
  view_ = nullptr;
  if (!outcome.transportFailure) {
    return outcome.result;
  }
  host_->ShowMessage(MessageIcon::Stop,
                     outcome.transportFailure->empty() ? kInternalErrorMessage : *outcome.transportFailure);
  // The window stays with the last status until the user closes it.
  return host_->StayOpen();
}

void StatusRules::Show(dialog::DialogView& view) {
  view.SetText(kProductFieldId, context_.arguments.productName);
  view.SetText(kVersionFieldId, context_.arguments.productVersion);
  view.SetText(kMakerVersionFieldId, context_.makerVersionText);
  view.SetText(kPortalVersionFieldId, context_.portalVersionText);
  view.SetText(kStatusFieldId, StatusText(context_.status));
}

void StatusRules::ShowStatus(const CheckContext& /*context*/) {
  if (view_ != nullptr) {
    Show(*view_);
  }
  if (host_ != nullptr) {
    host_->PumpMessages();
  }
}

int StatusRules::AskOffer(std::string_view offerLine, std::string_view questionLine) {
  offer_.SetLines(std::string{offerLine}, std::string{questionLine});
  return host_->RunOffer(offer_);
}

void StatusRules::ShowNoUpdates(std::string_view text) {
  host_->ShowMessage(MessageIcon::Exclamation, text);
}

void StatusRules::OpenPage(std::string_view address) {
  host_->OpenPage(address);
}

}  // namespace vellumor::updater
