#include "platform/ConnectionState.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace vellumor::platform {

std::string SystemConnectionState() {
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) {
    return kOffline;
  }
  bool online = false;
  for (const ifaddrs* entry = interfaces; entry != nullptr && !online; entry = entry->ifa_next) {
    online = (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_LOOPBACK) == 0;
  }
  freeifaddrs(interfaces);
  return online ? "LAN" : kOffline;
}

}  // namespace vellumor::platform
