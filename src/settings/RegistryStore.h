#pragma once
// Loading and saving the settings record in the product key.

#include <string>

#include "platform/Registry.h"
#include "registry/ProductRegistryKey.h"
#include "settings/Settings.h"

namespace vellumor::settings {

struct SettingsLoad {
  bool opened{false};   // the product key was opened and read
  std::string problem;  // not empty: the stored settings exist but could not be read at all; why
};

// Reads every field stored in the product key over `settings`, all from one read of the
// registry; fields without a stored value (or with empty data) keep their current value.
SettingsLoad LoadSettingsFromRegistry(platform::Registry& registry, Settings& settings);
// The 42 fields as the registry holds them: (value name, text) in the order they are written.
registry::ProductRegistryKey::NamedTexts SettingsAsRegistryTexts(const Settings& settings);
// Writes all 42 fields in one change of the registry, so that a job starting meanwhile reads
// the previous settings or these, never half of each; false when nothing could be written.
bool SaveSettingsToRegistry(platform::Registry& registry, const Settings& settings);

}  // namespace vellumor::settings
