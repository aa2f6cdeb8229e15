#pragma once
// Whether the computer is online, in the words the update check uses: "MODEM", "LAN", "PROXY",
// or "X" for offline.

#include <functional>
#include <string>

namespace vellumor::platform {

inline constexpr const char* kOffline = "X";

using ConnectionStateQuery = std::function<std::string()>;

// The system's own answer where it keeps one (Windows). On Linux "LAN" while a network interface
// other than the loopback is up, else "X": a machine that only has its loopback cannot reach any
// web page, so the check stops before trying.
std::string SystemConnectionState();

}  // namespace vellumor::platform
