// Windows shows windows wherever the process's window station is visible (DisplayAvailable
// asks that); there is no display server that could be gone, so nothing more is asked.

#include "platform/Display.h"

namespace vellumor::platform {

bool DisplayReachable(std::string& why) {
  why.clear();
  return true;
}

}  // namespace vellumor::platform
