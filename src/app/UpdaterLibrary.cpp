#include "app/UpdaterLibrary.h"

#include <dlfcn.h>

#include "updater/Update.h"

// The two page addresses are configuration of the build (VELLUMOR_PRODUCT_PAGE_URL and
// VELLUMOR_PORTAL_PAGE_URL); a build without the updater library never calls it.
#ifndef VELLUMOR_PRODUCT_PAGE_URL
#define VELLUMOR_PRODUCT_PAGE_URL ""
#endif
#ifndef VELLUMOR_PORTAL_PAGE_URL
#define VELLUMOR_PORTAL_PAGE_URL ""
#endif

namespace vellumor::app {

UpdateArguments DefaultUpdateArguments() {
  UpdateArguments arguments;
  arguments.productPageUrl = VELLUMOR_PRODUCT_PAGE_URL;
  arguments.portalPageUrl = VELLUMOR_PORTAL_PAGE_URL;
  return arguments;
}

UpdaterLibrary::~UpdaterLibrary() {
  update_ = nullptr;
  if (module_ != nullptr) {
    dlclose(module_);
    module_ = nullptr;
  }
}

void UpdaterLibrary::Load(const std::filesystem::path& folder, platform::UserInteraction& ui) {
  if (module_ != nullptr) {
    return;
  }
  // An absolute path: a library of that name elsewhere on the search path is never picked up.
  std::error_code error;
  const std::filesystem::path library = std::filesystem::absolute(folder / kUpdaterModule, error);
  module_ = error ? nullptr : dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) {
    ui.ShowMessage(kUpdaterLoadFailedMessage, platform::MessageStyle::System);
    return;
  }
  update_ = dlsym(module_, "Update");
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
