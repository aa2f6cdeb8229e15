#pragma once
// What the check needs from its window: showing progress, asking about an offer, telling that
// nothing is new, and opening a page. The status window implements it; tests script it.

#include <string>
#include <string_view>
#include <utility>

#include "updater/UpdateArguments.h"

namespace vellumor::updater {

// Answers of the offer window.
inline constexpr int kOfferFailed = -1;  // the window could not be shown
inline constexpr int kOfferClosed = 0;   // the title-bar close box
inline constexpr int kOfferUpdate = 1;
inline constexpr int kOfferNotNow = 2;  // also "Cancel"
inline constexpr int kOfferCancel = 3;  // "Cancel" before the dialog's own cancel handling
inline constexpr int kOfferNever = 99;

class CheckView {
 public:
  virtual ~CheckView() = default;

  // Shows every text of `context` and lets the caller's windows repaint and take input.
  virtual void ShowStatus(const CheckContext& context) = 0;
  // The modal "New Version Available" window with its two lines; one of the kOffer answers.
  virtual int AskOffer(std::string_view offerLine, std::string_view questionLine) = 0;
  // A message box with the exclamation icon and the caption "Updater".
  virtual void ShowNoUpdates(std::string_view text) = 0;
  // Opens a web page in the user's browser; whether that worked is not known.
  virtual void OpenPage(std::string_view address) = 0;
};

// Every step of the check reports itself this way: a new status line, then the whole context
// shown again.
inline void SetStatus(CheckContext& context, CheckView& view, std::string text) {
  context.status = std::move(text);
  view.ShowStatus(context);
}

}  // namespace vellumor::updater
