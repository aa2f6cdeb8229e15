#include "updater/UpdateCheck.h"

#include "registry/ProductRegistryKey.h"
#include "updater/Schedule.h"
#include "updater/VersionDecision.h"
#include "updater/VersionProbe.h"

namespace vellumor::updater {

CheckOutcome UpdateCheck::Run() {
  const UpdateArguments& arguments = context_.arguments;
  Status("Get info from registry...");
  // The program creates the key when it first saves its settings; the updater never does, so a
  // product that was never set up is not checked.
  registry::ProductRegistryKey key{services_.registry};
  if (!key.Open(ProductKeyPath(arguments.productKey))) {
    Status("Failed to get registry info...");
    return {};
  }
  key.GetText(kCheckUpdateValue, context_.checkUpdate);
  key.GetText(kLastUpdateCheckValue, context_.lastUpdateCheck);

  if (context_.lastUpdateCheck == kNeverAgainMarker) {
    Status("Never check...");
    if (arguments.manualCheck == 0) {
      return {};
    }
  }
  // The first call only starts the clock: the first real check comes one interval later.
  if (context_.lastUpdateCheck.empty() && arguments.manualCheck >= 0) {
    Stamp(context_, key, Now32(services_.clock));
    Status("First time run, so now set for next time...");
    if (arguments.manualCheck == 0) {
      key.Close();
      return {};
    }
  }

  Status("Now calculate if ready for updating since last check...");
  const std::int32_t now = Now32(services_.clock);
  const std::int32_t elapsed = ElapsedSeconds(now, context_.lastUpdateCheck);
  const std::int32_t days = IntervalDays(context_.checkUpdate);
  if (!IsDue(elapsed, days, arguments.manualCheck)) {
    Status(NotReadyStatus(elapsed, days));
    key.Close();
    return {};
  }
  Status("Ok, ready to check on internet for an update...");
  // Stamped before any network access, so that a failed or declined check waits a full interval.
  Stamp(context_, key, now);
  key.Close();

  Status("Get connection...");
  if (services_.connectionState() == platform::kOffline) {
    Status("Can't update, no internet connection...");
    return {};
  }

  Status("Download version from website...");
  const ProbeResult maker = ProbeVersion(ProbeSource::Maker, context_, view_, services_.transport);
  if (maker.failure) {
    return CheckOutcome{0, maker.failure->description};
  }
  const ProbeResult portal = ProbeVersion(ProbeSource::Portal, context_, view_, services_.transport);
  if (portal.failure) {
    return CheckOutcome{0, portal.failure->description};
  }
  if (maker.version.empty() && portal.version.empty()) {
    return {};
  }
  return CheckOutcome{DecideVersion(context_, services_, view_, maker.version, portal.version), std::nullopt};
}

}  // namespace vellumor::updater
