#pragma once
// Whether the computer is online, in the words the check uses: "MODEM", "LAN", "PROXY", or "X"
// for offline.

#include <functional>
#include <string>

namespace vellumor::updater {

inline constexpr const char* kOffline = "X";

using ConnectionStateQuery = std::function<std::string()>;

// "LAN" while a network interface other than the loopback is up, else "X". A machine that only
// has its loopback cannot reach any web page, so the check stops before trying.
std::string SystemConnectionState();

}  // namespace vellumor::updater
