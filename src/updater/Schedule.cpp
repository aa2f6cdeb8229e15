#include "updater/Schedule.h"

#include "base/Text.h"

namespace vellumor::updater {

namespace {

// Two's complement wrapping without signed overflow.
std::int32_t Wrap(std::uint32_t value) {
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::string ProductKeyPath(std::string_view productKey) {
  return std::string{kMakerKeyPath} + std::string{productKey};
}

std::int32_t Now32(const platform::Clock& clock) {
  return Wrap(static_cast<std::uint32_t>(clock.UnixSeconds()));
}

std::int32_t ElapsedSeconds(std::int32_t now, std::string_view lastUpdateCheck) {
  const std::int32_t stamp = base::ParseLeadingInteger(lastUpdateCheck);
  return Wrap(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(stamp));
}

std::int32_t IntervalDays(std::string_view checkUpdate) {
  return base::ParseLeadingInteger(checkUpdate);
}

bool IsDue(std::int32_t elapsed, std::int32_t days, int manualCheck) {
  const std::int32_t interval = Wrap(static_cast<std::uint32_t>(days) * static_cast<std::uint32_t>(kSecondsPerDay));
  return elapsed >= interval || manualCheck != 0;
}

std::string NotReadyStatus(std::int32_t elapsed, std::int32_t days) {
  return "Not ready to check on internet\r\nDone: " + std::to_string(elapsed / kSecondsPerDay) + " out of " +
         std::to_string(days) + " days.";
}

void Stamp(CheckContext& context, registry::ProductRegistryKey& key, std::int32_t now) {
  context.lastUpdateCheck = std::to_string(now);
  key.SetText(kLastUpdateCheckValue, context.lastUpdateCheck);
}

}  // namespace vellumor::updater
