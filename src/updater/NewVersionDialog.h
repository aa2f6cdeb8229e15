#pragma once
// "New Version Available", rendered from its description (updater/UpdaterWindows.h). Its result
// is the user's answer (kOfferUpdate, kOfferNever, kOfferNotNow, or kOfferClosed for the title-bar
// close box).

#include <QString>

#include "ui/DialogWindow.h"
#include "updater/UpdaterWindows.h"

namespace vellumor::updater {

// The library's images under the resource ids its descriptions use.
ui::DialogResources UpdaterResources();

class NewVersionDialog final : public ui::DialogWindow {
  Q_OBJECT

 public:
  explicit NewVersionDialog(QWidget* parent = nullptr);
  // Renders `offer`, which must outlive the window.
  NewVersionDialog(OfferRules& offer, QWidget* parent);

  // Filled by the caller before the window is shown.
  void SetLines(const QString& offerLine, const QString& questionLine);
};

}  // namespace vellumor::updater
