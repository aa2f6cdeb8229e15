#pragma once
// "About Updater", rendered from its description (updater/UpdaterWindows.h).

#include "ui/DialogWindow.h"
#include "updater/UpdaterWindows.h"

namespace vellumor::updater {

class UpdaterAboutDialog final : public ui::DialogWindow {
  Q_OBJECT

 public:
  explicit UpdaterAboutDialog(QWidget* parent = nullptr);
  // Renders `about`, which must outlive the window.
  UpdaterAboutDialog(UpdaterAboutRules& about, QWidget* parent);
};

}  // namespace vellumor::updater
