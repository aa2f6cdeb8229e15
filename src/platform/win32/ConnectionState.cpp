#include "platform/ConnectionState.h"

#include "platform/win32/WindowsApi.h"
// After windows.h: WinINet's header relies on its types.
#include <wininet.h>

namespace vellumor::platform {

std::string SystemConnectionState() {
  DWORD flags = 0;
  if (!::InternetGetConnectedState(&flags, 0)) {
    return kOffline;
  }
  if ((flags & INTERNET_CONNECTION_MODEM) != 0) {
    return "MODEM";
  }
  if ((flags & INTERNET_CONNECTION_LAN) != 0) {
    return "LAN";
  }
  if ((flags & INTERNET_CONNECTION_PROXY) != 0) {
    return "PROXY";
  }
  return kOffline;
}

}  // namespace vellumor::platform
