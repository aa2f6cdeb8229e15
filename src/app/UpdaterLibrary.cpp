#include "app/UpdaterLibrary.h"

#include "platform/ProgramModules.h"
#include "updater/Update.h"

// The two page addresses are configuration of the build (VELLUMOR_PRODUCT_PAGE_URL and
// VELLUMOR_PORTAL_PAGE_URL).

namespace vellumor::app {

UpdateArguments DefaultUpdateArguments() {
  UpdateArguments arguments;
  arguments.productPageUrl = VELLUMOR_PRODUCT_PAGE_URL;
  arguments.portalPageUrl = VELLUMOR_PORTAL_PAGE_URL;
  return arguments;
}

void UpdaterLibrary::Load(const std::filesystem::path& folder, platform::UserInteraction& ui) {
  if (module_ != nullptr) {
    return;
  }
  // An absolute path: a library of that name elsewhere on the search path is never picked up.
  std::string error;
  module_ = platform::LoadedModule::Load(folder / platform::ModuleFileName(platform::ProgramModule::Updater), error);
  if (module_ == nullptr) {
    ui.ShowMessage(kUpdaterLoadFailedMessage, platform::MessageStyle::System);
    return;
  }
  update_ = module_->Symbol("Update");
}

int UpdaterLibrary::CallUpdate(const UpdateArguments& arguments) const {
  if (update_ == nullptr) {
    return -1;
  }
  UpdateFunction* update = reinterpret_cast<UpdateFunction*>(update_);
  return update(arguments.productName.c_str(), arguments.productVersion.c_str(), arguments.productKey.c_str(),
                arguments.productPageUrl.c_str(), arguments.portalPageUrl.c_str(), arguments.upgradePageUrl.c_str(),
                arguments.manualCheck, arguments.ignorePortalLag);
}

}  // namespace vellumor::app
