// The library's one export on Windows: the check over WinINet in the updater's own status window,
// rendered natively from its description, with the registry of the product key, the system clock
// and the shell's "open" for the offered page.

#include "updater/Update.h"

#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/HttpTransport.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
#include "ui/win32/NativeDialog.h"
#include "updater/UpdaterWindows.h"

#include <commctrl.h>

namespace {

using namespace vellumor;

std::string Copy(const char* text) {
  return text != nullptr ? std::string{text} : std::string{};
}

// This library's module: its windows' images are its own resources.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The moments of a call that wait for the user, in native windows over the status window.
class NativeStatusHost final : public updater::StatusWindowHost {
 public:
  NativeStatusHost(native::NativeDialog& window, platform::Shell& shell) : window_{window}, shell_{shell} {}

  void PumpMessages() override { native::PumpMessages(); }
  int RunOffer(updater::OfferRules& offer) override { return window_.RunModal(offer); }
  void ShowMessage(updater::MessageIcon icon, std::string_view text) override {
    // Over whichever window of this thread is active, the caller's or the status window.
    ::MessageBoxW(::GetActiveWindow(), platform::WideFromUtf8(text).c_str(), L"Updater",
                  MB_OK | (icon == updater::MessageIcon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION));
  }
  void RunAbout(updater::UpdaterAboutRules& about) override { window_.RunModal(about); }
  int StayOpen() override { return window_.RunModal(); }
  void OpenPage(std::string_view address) override { shell_.OpenDocument(address); }

 private:
  native::NativeDialog& window_;
  platform::Shell& shell_;
};

}  // namespace

extern "C" int Update(const char* productName, const char* productVersion, const char* productKey,
                      const char* productPageUrl, const char* portalPageUrl, const char* upgradePageUrl,
                      int manualCheck, int ignorePortalLag) {
  // Nothing may leave the library but the result: a failure of its own ends the call as one that
  // could not show its window.
  try {
    updater::UpdateArguments arguments{Copy(productName),    Copy(productVersion), Copy(productKey),
                                       Copy(productPageUrl), Copy(portalPageUrl),  Copy(upgradePageUrl),
                                       manualCheck,          ignorePortalLag};
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    platform::Registry registry{platform::Registry::DefaultFolder()};
    const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
    const std::unique_ptr<platform::HttpTransport> transport = platform::MakeHttpTransport();
    const std::unique_ptr<platform::Shell> shell = platform::MakeDesktopShell();
    const updater::CheckServices services{*clock, registry, *transport, platform::SystemConnectionState,
                                          updater::OfferHosts{VELLUMOR_MAKER_HOST_NAME, VELLUMOR_PORTAL_DOMAIN_NAME}};
    updater::StatusRules rules{std::move(arguments), services};
    native::NativeDialog window{rules, native::DialogServices{ThisModule(), {}}, nullptr};
    std::string error;
    if (!window.Create(error)) {
      return updater::kUpdateNoWindow;
    }
    NativeStatusHost host{window, *shell};
    rules.Attach(host);
    // The whole check runs before the window is ever shown; it appears only when a network
    // failure stopped the check, and then stays until the user closes it.
    window.Prepare();
    return rules.Run(window);
  } catch (...) {
    return updater::kUpdateNoWindow;
  }
}
