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
#include "updater/model/UpdaterDialogs.h"

#include <commctrl.h>

namespace {

using namespace vellumor;

// The result of a call whose status window cannot be created.
constexpr int kUpdateNoWindow = -1;

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

class NativeUpdaterFrontEnd final : public updater::UpdaterFrontEnd {
 public:
  explicit NativeUpdaterFrontEnd(platform::Shell& shell) : shell_{shell} {}

  void Tell(std::string_view text, Icon icon) override {
    // Over whichever window of this thread is active, the caller's or the status window.
    ::MessageBoxW(::GetActiveWindow(), platform::WideFromUtf8(text).c_str(), L"Updater",
                  MB_OK | (icon == Icon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION));
  }
  void PumpMessages() override { native::PumpMessages(); }
  void OpenPage(std::string_view address) override { shell_.OpenDocument(address); }

 private:
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
    NativeUpdaterFrontEnd frontEnd{*shell};
    const updater::CheckServices services{*clock, registry, *transport, platform::SystemConnectionState,
                                          updater::OfferHosts{VELLUMOR_MAKER_HOST_NAME, VELLUMOR_PORTAL_DOMAIN_NAME}};
    updater::UpdaterStatusRules rules{std::move(arguments), services, frontEnd};
    native::NativeDialog window{rules, native::DialogServices{ThisModule(), {}}, nullptr};
    std::string error;
    if (!window.Create(error)) {
      return kUpdateNoWindow;
    }
    // The whole check runs before the window is ever shown; it appears only when a network
    // failure stopped the check, and then stays until the user closes it.
    window.Prepare();
    const int result = rules.Run();
    return result == updater::UpdaterStatusRules::kStayOpen ? window.RunModal() : result;
  } catch (...) {
    return kUpdateNoWindow;
  }
}
