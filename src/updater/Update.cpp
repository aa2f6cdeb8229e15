// The library's one export. Builds the real services (system clock, the registry of
// Registry::DefaultFolder(), libcurl, the desktop's browser, modal windows) and runs the call.

#include "updater/Update.h"

#include <QApplication>
#include <clocale>
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "updater/Updater.h"

namespace {

using namespace vellumor;

std::string Copy(const char* text) {
  return text != nullptr ? std::string{text} : std::string{};
}

// A platform plugin that needs no display (offscreen, minimal) may have been chosen.
bool CanShowWindows() {
  const std::optional<std::string> platformName = platform::GetEnvironmentVariable("QT_QPA_PLATFORM");
  return platform::DisplayAvailable() || (platformName && !platformName->empty());
}

// A caller without Qt gets an application object for the length of the call. Qt switches the
// process to the user's locale when it starts; the caller's locale is put back afterwards.
class ApplicationForCall final {
 public:
  bool Start() {
    if (QCoreApplication::instance() != nullptr) {
      return true;
    }
    if (!CanShowWindows()) {
      return false;
    }
    const char* locale = std::setlocale(LC_ALL, nullptr);
    savedLocale_ = locale != nullptr ? locale : "C";
    application_ = std::make_unique<QApplication>(argc_, argv_);
    return true;
  }

  ~ApplicationForCall() {
    if (application_) {
      application_.reset();
      std::setlocale(LC_ALL, savedLocale_.c_str());
    }
  }

 private:
  // Message boxes take the library's name as their caption.
  char name_[8] = "Updater";
  char* argv_[2] = {name_, nullptr};
  int argc_{1};
  std::string savedLocale_;
  std::unique_ptr<QApplication> application_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int Update(const char* productName, const char* productVersion,
                                                             const char* productKey, const char* productPageUrl,
                                                             const char* portalPageUrl, const char* upgradePageUrl,
                                                             int manualCheck, int ignorePortalLag) {
  // Nothing may leave the library but the result: a failure of its own ends the call as one
  // that could not show its window.
  try {
    const updater::UpdateArguments arguments{Copy(productName),    Copy(productVersion), Copy(productKey),
                                             Copy(productPageUrl), Copy(portalPageUrl),  Copy(upgradePageUrl),
                                             manualCheck,          ignorePortalLag};
    ApplicationForCall application;
    if (!application.Start()) {
      return updater::kUpdateNoWindow;
    }
    platform::Registry registry{platform::Registry::DefaultFolder()};
    const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
    const std::unique_ptr<platform::HttpTransport> transport = platform::MakeHttpTransport();
    const std::unique_ptr<platform::Shell> shell = platform::MakeDesktopShell();
    const std::unique_ptr<updater::UpdaterPrompts> prompts = updater::MakeModalPrompts();
    const updater::UpdaterServices services{
        updater::CheckServices{*clock, registry, *transport, platform::SystemConnectionState,
                               updater::OfferHosts{VELLUMOR_MAKER_HOST_NAME, VELLUMOR_PORTAL_DOMAIN_NAME}},
        *shell, *prompts};
    return updater::RunUpdate(arguments, services);
  } catch (...) {
    return updater::kUpdateNoWindow;
  }
}
