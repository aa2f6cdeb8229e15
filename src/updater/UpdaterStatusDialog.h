#pragma once
// The status window that carries one whole update check. The check runs while the window is
// being set up, before it is ever shown; the window appears only when a network failure stopped
// the check, and then stays until the user closes it.

#include <QLabel>

#include "ui/BitmapBackgroundDialog.h"
#include "updater/CheckView.h"
#include "updater/NewVersionDialog.h"
#include "updater/UpdateArguments.h"
#include "updater/Updater.h"

namespace vellumor::updater {

inline constexpr int kProductFieldId = 1000;
inline constexpr int kVersionFieldId = 1001;
inline constexpr int kStatusFieldId = 1002;
inline constexpr int kMakerVersionFieldId = 1003;
inline constexpr int kPortalVersionFieldId = 1004;

inline constexpr const char* kAboutMenuText = "&About Updater...";

class UpdaterStatusDialog final : public ui::BitmapBackgroundDialog, private CheckView {
  Q_OBJECT

 public:
  UpdaterStatusDialog(UpdateArguments arguments, const UpdaterServices& services, QWidget* parent = nullptr);

  // The window's initialisation with the check in it; returns the call's result.
  int Run();

  const CheckContext& Context() const { return context_; }
  NewVersionDialog& Offer() { return offer_; }

 public slots:
  // Closing the window (its close box) ends it with kUpdateWindowClosed.
  void reject() override;

 private:
  void ShowStatus(const CheckContext& context) override;
  int AskOffer(std::string_view offerLine, std::string_view questionLine) override;
  void ShowNoUpdates(std::string_view text) override;
  void OpenPage(std::string_view address) override;

  void BuildControls();
  void ShowAbout();

  CheckContext context_;
  const UpdaterServices& services_;
  NewVersionDialog offer_;
  QLabel* product_{nullptr};
  QLabel* version_{nullptr};
  QLabel* makerVersion_{nullptr};
  QLabel* portalVersion_{nullptr};
  QLabel* status_{nullptr};
};

}  // namespace vellumor::updater
