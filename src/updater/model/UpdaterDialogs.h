#pragma once
// The updater's three windows in no toolkit's terms: the status window that carries one whole
// check, the offer "New Version Available" and the About box, each a description and its rules.
// A front end renders them and supplies the few things they ask of it (UpdaterFrontEnd).

#include <string>
#include <string_view>

#include "ui/model/DialogView.h"
#include "updater/CheckServices.h"
#include "updater/CheckView.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

extern const dialog::DialogDescription kUpdaterStatusWindow;
extern const dialog::DialogDescription kNewVersionWindow;
extern const dialog::DialogDescription kUpdaterAboutWindow;

// What the updater's windows need from the front end that shows them.
class UpdaterFrontEnd {
 public:
  enum class Icon { Stop, Exclamation };

  virtual ~UpdaterFrontEnd() = default;
  // A message box with the caption "Updater", an OK button and `icon`.
  virtual void Tell(std::string_view text, Icon icon) = 0;
  // Lets the caller's windows repaint and take input between the steps of the check.
  virtual void PumpMessages() = 0;
  // Opens a web page in the user's browser; whether that worked is not known.
  virtual void OpenPage(std::string_view address) = 0;
};

// "New Version Available": the offer line and the question; closes with one of the kOffer answers.
class NewVersionRules final : public dialog::Dialog {
 public:
  static constexpr int kOfferLineId = 1003;
  static constexpr int kQuestionLineId = 1006;
  static constexpr int kNeverId = 1005;
  static constexpr int kNotNowId = 1004;

  void SetLines(std::string offer, std::string question);
  const dialog::DialogDescription& Description() const override { return kNewVersionWindow; }
  void Initialise(dialog::DialogView& view) override;
  void Command(dialog::DialogView& view, int id) override;
  // The title-bar close box.
  void Dismissed(dialog::DialogView& view) override { view.Close(kOfferClosed); }

 private:
  std::string offer_;
  std::string question_;
};

// "About Updater".
class UpdaterAboutRules final : public dialog::Dialog {
 public:
  const dialog::DialogDescription& Description() const override { return kUpdaterAboutWindow; }
  void Initialise(dialog::DialogView& /*view*/) override {}
  void Command(dialog::DialogView& view, int id) override;
};

// The status window: shows the check's progress, asks about an offer, and stays on the screen
// only when a network failure stopped the check.
class UpdaterStatusRules final : public dialog::Dialog, private CheckView {
 public:
  static constexpr int kProductFieldId = 1000;
  static constexpr int kVersionFieldId = 1001;
  static constexpr int kStatusFieldId = 1002;
  static constexpr int kMakerVersionFieldId = 1003;
  static constexpr int kPortalVersionFieldId = 1004;
  static constexpr int kAboutCommand = 16;
  // Results of a call (as `Update` returns them), and Run's answer when the window is to stay
  // until the user closes it.
  static constexpr int kDone = 0;
  static constexpr int kWindowClosed = 2;
  static constexpr int kStayOpen = -2;
  // Told when the network failed without a description of its own.
  static constexpr std::string_view kInternalError = "Internal application error.";

  UpdaterStatusRules(UpdateArguments arguments, const CheckServices& services, UpdaterFrontEnd& frontEnd)
      : context_{std::move(arguments), {}, {}, {}, {}, {}}, services_{services}, frontEnd_{frontEnd} {}

  const dialog::DialogDescription& Description() const override { return kUpdaterStatusWindow; }
  // Shows the arguments; the window exists and is not shown yet.
  void Initialise(dialog::DialogView& view) override;
  // Runs the check in the window's view (given at Initialise): the call's result, or kStayOpen
  // when a network failure was told and the window is to stay until the user closes it.
  int Run();
  void Command(dialog::DialogView& view, int id) override;
  // The close box of a window that stayed: the call ends with kUpdateWindowClosed.
  void Dismissed(dialog::DialogView& view) override;

  const CheckContext& Context() const { return context_; }

 private:
  void ShowStatus(const CheckContext& context) override;
  int AskOffer(std::string_view offerLine, std::string_view questionLine) override;
  void ShowNoUpdates(std::string_view text) override;
  void OpenPage(std::string_view address) override;

  CheckContext context_;
  const CheckServices& services_;
  UpdaterFrontEnd& frontEnd_;
  dialog::DialogView* view_{nullptr};
  NewVersionRules offer_;
  UpdaterAboutRules about_;
};

}  // namespace vellumor::updater
