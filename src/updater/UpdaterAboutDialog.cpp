#include "updater/UpdaterAboutDialog.h"

#include "updater/NewVersionDialog.h"

namespace vellumor::updater {

UpdaterAboutDialog::UpdaterAboutDialog(QWidget* parent)
    : DialogWindow(std::make_unique<UpdaterAboutRules>(), UpdaterResources(), parent) {}

UpdaterAboutDialog::UpdaterAboutDialog(UpdaterAboutRules& about, QWidget* parent)
    : DialogWindow(about, UpdaterResources(), parent) {}

}  // namespace vellumor::updater
