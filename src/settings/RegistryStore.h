#pragma once
// Loading and saving the settings record in the product key.

#include "platform/Registry.h"
#include "settings/Settings.h"

namespace vellumor::settings {

// Reads every field stored in the product key over `settings`; fields without a stored value
// (or with empty data) keep their current value. False when the key could not be opened.
bool LoadSettingsFromRegistry(platform::Registry& registry, Settings& settings);
// Writes all 42 fields; false when the key could not be created or opened.
bool SaveSettingsToRegistry(platform::Registry& registry, const Settings& settings);

}  // namespace vellumor::settings
