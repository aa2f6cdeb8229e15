#include "updater/VersionDecision.h"

#include <cmath>
#include <string>

#include "registry/ProductRegistryKey.h"
#include "updater/Schedule.h"
#include "updater/VersionText.h"

namespace vellumor::updater {

namespace {

// Compared as truncated doubles, so that no version number can overflow an integer.
bool SameWholeNumber(double installed, double other) {
  return std::trunc(installed) == std::trunc(other);
}

// Shows the offer and records the answer: "Update" opens the page and writes nothing (the stamp
// made before the check stands), "Never" writes the never-again marker, "Not now" and "Cancel"
// stamp the current time, the close box writes nothing.
int Offer(CheckContext& context, const CheckServices& services, CheckView& view, const std::string& offerLine,
          const std::string& page) {
  const int answer = view.AskOffer(offerLine, kOfferQuestion);
  if (answer == kOfferUpdate) {
    view.OpenPage(page);
    return 1;
  }
  registry::ProductRegistryKey key{services.registry};
  if (key.Open(ProductKeyPath(context.arguments.productKey))) {
    if (answer == kOfferNever) {
      context.lastUpdateCheck = std::string{kNeverAgainMarker};
      key.SetText(kLastUpdateCheckValue, kNeverAgainMarker);
    } else if (answer == kOfferNotNow || answer == kOfferCancel) {
      Stamp(context, key, Now32(services.clock));
    }
    key.Close();
  }
  return 0;
}

// A new major version is not offered from these pages; the caller's upgrade page says more. A
// caller without one gets nothing opened rather than the browser started on an empty address.
void OpenUpgradePage(const CheckContext& context, CheckView& view) {
  if (!context.arguments.upgradePageUrl.empty()) {
    view.OpenPage(context.arguments.upgradePageUrl);
  }
}

}  // namespace

int DecideVersion(CheckContext& context, const CheckServices& services, CheckView& view, std::string_view makerText,
                  std::string_view portalText) {
  const UpdateArguments& arguments = context.arguments;
  const double maker = ParseDecimal(makerText);
  const double portal = ParseDecimal(portalText);
  const double installed = ParseDecimal(arguments.productVersion);

  // Users download from the portal; until it lists what the maker's page shows, wait a while.
  if (maker > portal && arguments.ignorePortalLag == 0) {
    SetStatus(context, view, "CNET version is less than Corvane so don't ask to update yet, try again later.");
    registry::ProductRegistryKey key{services.registry};
    if (key.Open(ProductKeyPath(arguments.productKey))) {
      Stamp(context, key, Now32(services.clock));
      key.Close();
    }
    return 0;
  }
  if (installed < portal) {
    if (SameWholeNumber(installed, portal)) {
      return Offer(
          context, services, view,
          "A new version of " + arguments.productName + " has been found on CNET " + services.hosts.portalDomainName,
          arguments.portalPageUrl);
    }
    OpenUpgradePage(context, view);
    return 0;
  }
  if (installed < maker) {
    if (SameWholeNumber(installed, maker)) {
      return Offer(context, services, view,
                   "A new version of " + arguments.productName + " has been found on " + services.hosts.makerHostName,
                   arguments.productPageUrl);
    }
    OpenUpgradePage(context, view);
    return 0;
  }
  if (arguments.manualCheck > 0) {
    view.ShowNoUpdates(kNoUpdatesMessage);
  }
  return 0;
}

}  // namespace vellumor::updater
