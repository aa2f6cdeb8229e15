#pragma once
// The update schedule as it lives in the product key: `AdvCheckUpdate` holds the interval
// ("14 days"; a text without a leading number, such as "Never", is 0 days) and
// `AdvLastUpdateCheck` the time of the last check in seconds since 1970, or "0" for never again.
// Times and intervals are 32-bit signed seconds, as the stored texts have always been written.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "registry/ProductRegistryKey.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

// The maker's key; the product's key is directly below it.
inline constexpr std::string_view kMakerKeyPath = "SOFTWARE\\Corvane Software\\";
inline constexpr std::string_view kCheckUpdateValue = "AdvCheckUpdate";
inline constexpr std::string_view kLastUpdateCheckValue = "AdvLastUpdateCheck";
inline constexpr std::string_view kNeverAgainMarker = "0";
inline constexpr std::int32_t kSecondsPerDay = 86400;

std::string ProductKeyPath(std::string_view productKey);

// The clock's time as 32-bit signed seconds (wrapping, as such a counter does).
std::int32_t Now32(const platform::Clock& clock);

// now minus the leading integer of `lastUpdateCheck`, in 32-bit arithmetic: negative when the
// clock was set back before the stamp.
std::int32_t ElapsedSeconds(std::int32_t now, std::string_view lastUpdateCheck);
std::int32_t IntervalDays(std::string_view checkUpdate);
bool IsDue(std::int32_t elapsed, std::int32_t days, int manualCheck);

// "Not ready to check on internet\r\nDone: <whole days elapsed> out of <days> days."
std::string NotReadyStatus(std::int32_t elapsed, std::int32_t days);

// Records `now` as the last check, in the context and in the open key.
void Stamp(CheckContext& context, registry::ProductRegistryKey& key, std::int32_t now);

}  // namespace vellumor::updater
