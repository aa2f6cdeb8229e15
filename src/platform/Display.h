#pragma once
// Whether windows can be shown: a display named in the environment must also answer. The
// windowing framework ends the whole process when the display it is given cannot be reached
// (a session over ssh, a job run from cron, an X server that is gone), so the program asks
// first and runs unattended instead.

#include <string>

namespace vellumor::platform {

// POSIX: true when DISPLAY or WAYLAND_DISPLAY names a display that accepts a connection;
// otherwise `why` says which display did not answer. Windows has no display server that could be
// gone: always true (DisplayAvailable in Environment.h says whether windows can be seen).
bool DisplayReachable(std::string& why);

}  // namespace vellumor::platform
