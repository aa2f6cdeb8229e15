#pragma once
// The updater's three windows in no toolkit's terms: the status window that carries one whole
// check, the offer "New Version Available" and "About Updater", each a description and its rules.
// The Qt front end renders them on Linux, the native one on Windows.

#include <string>
#include <string_view>

#include "ui/model/DialogView.h"
#include "updater/CheckServices.h"
#include "updater/CheckView.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

inline constexpr int kProductFieldId = 1000;
inline constexpr int kVersionFieldId = 1001;
inline constexpr int kStatusFieldId = 1002;
inline constexpr int kMakerVersionFieldId = 1003;
inline constexpr int kPortalVersionFieldId = 1004;
inline constexpr int kAboutCommandId = 16;

inline constexpr int kOfferLineId = 1003;
inline constexpr int kQuestionLineId = 1006;
inline constexpr int kUpdateButtonId = 1;
inline constexpr int kNeverButtonId = 1005;
inline constexpr int kNotNowButtonId = 1004;
inline constexpr int kCancelButtonId = 2;

// The library's own images (resource ids of the library).
inline constexpr int kUpdaterBackground = 143;  // 800 x 800
inline constexpr int kUpdaterIcon = 128;

inline constexpr std::string_view kAboutMenuText = "&About Updater...";
inline constexpr std::string_view kAboutVersionLine = "Updater Version 1.01";
inline constexpr std::string_view kAboutMakerLine = "Copyright (C) 2024 Corvane Software";
inline constexpr std::string_view kInternalErrorMessage = "Internal application error.";

// Results of a call.
inline constexpr int kUpdateNoWindow = -1;  // the status window cannot be created
inline constexpr int kUpdateDone = 0;
inline constexpr int kUpdateAccepted = 1;      // the user accepted an offer; the page was opened
inline constexpr int kUpdateWindowClosed = 2;  // a network failure left the status window open

extern const dialog::DialogDescription kStatusWindow;
extern const dialog::DialogDescription kOfferWindow;
extern const dialog::DialogDescription kUpdaterAboutWindow;

// "New Version Available": the caller's two lines, and the user's answer as its result
// (kOfferUpdate, kOfferNever, kOfferNotNow for "Not now" and "Cancel", kOfferClosed for the
// close box).
class OfferRules final : public dialog::Dialog {
 public:
  void SetLines(std::string offerLine, std::string questionLine);

  const dialog::DialogDescription& Description() const override { return kOfferWindow; }
  void Initialise(dialog::DialogView& view) override;
  void Command(dialog::DialogView& view, int id) override;
  void Dismissed(dialog::DialogView& view) override { view.Close(kOfferClosed); }

 private:
  std::string offerLine_;
  std::string questionLine_;
};

class UpdaterAboutRules final : public dialog::Dialog {
 public:
  const dialog::DialogDescription& Description() const override { return kUpdaterAboutWindow; }
  void Initialise(dialog::DialogView& /*view*/) override {}
  void Command(dialog::DialogView& view, int id) override;
};

enum class MessageIcon { Exclamation, Stop };

// The moments of a call that a front end runs modally: the offer, message boxes with the caption
// "Updater", the About box, the status window left open after a network failure, and the page
// opened in the user's browser.
class StatusWindowHost {
 public:
  virtual ~StatusWindowHost() = default;

  // Lets the caller's windows repaint and take input between the steps of the check.
  virtual void PumpMessages() = 0;
  // Shows `offer` until the user answers; its result.
  virtual int RunOffer(OfferRules& offer) = 0;
  virtual void ShowMessage(MessageIcon icon, std::string_view text) = 0;
  virtual void RunAbout(UpdaterAboutRules& about) = 0;
  // Shows the status window until the user closes it; its result.
  virtual int StayOpen() = 0;
  virtual void OpenPage(std::string_view address) = 0;
};

// The status window's rules: its fields follow the check context, and its initialisation runs
// the whole check (Run).
class StatusRules final : public dialog::Dialog, private CheckView {
 public:
  StatusRules(UpdateArguments arguments, const CheckServices& services);

  // The front end that runs the call's modal moments; set before Run.
  void Attach(StatusWindowHost& host) { host_ = &host; }

  const dialog::DialogDescription& Description() const override { return kStatusWindow; }
  void Initialise(dialog::DialogView& view) override { Show(view); }
  void Command(dialog::DialogView& view, int id) override;
  // The close box ends the window left open after a network failure.
  void Dismissed(dialog::DialogView& view) override { view.Close(kUpdateWindowClosed); }

  // The window's initialisation with the check in it; the call's result.
  int Run(dialog::DialogView& view);

  const CheckContext& Context() const { return context_; }

 private:
  void Show(dialog::DialogView& view);
  void ShowStatus(const CheckContext& context) override;
  int AskOffer(std::string_view offerLine, std::string_view questionLine) override;
  void ShowNoUpdates(std::string_view text) override;
  void OpenPage(std::string_view address) override;

  CheckContext context_;
  const CheckServices& services_;
  StatusWindowHost* host_{nullptr};
  dialog::DialogView* view_{nullptr};  // while Run runs
  OfferRules offer_;
  UpdaterAboutRules about_;
};

}  // namespace vellumor::updater
