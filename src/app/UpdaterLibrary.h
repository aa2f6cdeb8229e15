#pragma once
// The binding of the updater library: loaded from the program's own folder when the main window
// is constructed, its one export `Update` called once when the window is shown to the user.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/LoadedModule.h"
#include "platform/UserInteraction.h"

namespace vellumor::app {

inline constexpr const char* kUpdaterLoadFailedMessage = "Unable to open DLL Updater.dll";

// The eight arguments the program passes (the web addresses are build-time configuration).
struct UpdateArguments {
  std::string productName{"Vellumor"};
  std::string productVersion{"1.06"};
  std::string productKey{"Vellumor"};
  std::string productPageUrl;
  std::string portalPageUrl;
  std::string upgradePageUrl;
  int manualCheck{0};
  int ignorePortalLag{0};
};
UpdateArguments DefaultUpdateArguments();

class UpdaterLibrary final {
 public:
  UpdaterLibrary() = default;
  UpdaterLibrary(const UpdaterLibrary&) = delete;
  UpdaterLibrary& operator=(const UpdaterLibrary&) = delete;

  // Loads the updater library from `folder` (never through the library search path). When it
  // does not load, shows kUpdaterLoadFailedMessage (OK only) and stays unloaded; a library without
  // `Update` is loaded but not callable, silently.
  void Load(const std::filesystem::path& folder, platform::UserInteraction& ui);

  bool Loaded() const { return module_ != nullptr; }
  bool Callable() const { return update_ != nullptr; }

  // Calls `Update`; returns its result, or -1 when it cannot be called.
  int CallUpdate(const UpdateArguments& arguments) const;

 private:
  std::unique_ptr<platform::LoadedModule> module_;
  void* update_{nullptr};
};

}  // namespace vellumor::app
