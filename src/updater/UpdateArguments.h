#pragma once
// What one update check works on: the caller's eight arguments (copied, so nothing points into
// the caller's memory) and the texts the status window shows while the check runs.

#include <string>

namespace vellumor::updater {

struct UpdateArguments {
  std::string productName;
  std::string productVersion;
  std::string productKey;  // names the product's key below kMakerKeyPath
  std::string productPageUrl;
  std::string portalPageUrl;
  std::string upgradePageUrl;  // opened without asking when a new major version appears
  int manualCheck{0};          // non-zero: check now; above zero: also say when nothing is new
  int ignorePortalLag{0};      // non-zero: offer from the maker's page even when the portal lags
};

struct CheckContext {
  UpdateArguments arguments;
  std::string checkUpdate;      // AdvCheckUpdate as read, e.g. "14 days"
  std::string lastUpdateCheck;  // AdvLastUpdateCheck as read or last stamped
  std::string status;           // the status line
  std::string makerVersionText;
  std::string portalVersionText;
};

}  // namespace vellumor::updater
