// The library's one export on Windows. The updater's windows are not built for Windows yet, and
// without its status window a call can neither show progress nor ask about an offer: it ends as
// a call on Linux without a display does, before reading anything.

#include "updater/Update.h"

namespace {

// The result of a call whose status window cannot be created.
constexpr int kUpdateNoWindow = -1;

}  // namespace

extern "C" int Update(const char* /*productName*/, const char* /*productVersion*/, const char* /*productKey*/,
                      const char* /*productPageUrl*/, const char* /*portalPageUrl*/, const char* /*upgradePageUrl*/,
                      int /*manualCheck*/, int /*ignorePortalLag*/) {
  return kUpdateNoWindow;
}
