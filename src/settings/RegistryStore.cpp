#include "settings/RegistryStore.h"

#include "registry/ProductRegistryKey.h"

namespace vellumor::settings {

SettingsLoad LoadSettingsFromRegistry(platform::Registry& registry, Settings& settings) {
  registry::ProductRegistryKey key{registry};
  SettingsLoad load;
  // Open, never create: a first start must not leave an empty product key behind, and a
  // missing key simply keeps the defaults.
  const long result = key.OpenSnapshot(registry::kProductKeyPath, load.problem);
  if (result != platform::win_error::kSuccess) {
    return load;
  }
  load.opened = true;
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      key.GetText(field.name, settings.*field.text);
    } else {
      key.GetNumber(field.name, settings.*field.number);
    }
  }
  key.Close();
  return load;
}

registry::ProductRegistryKey::NamedTexts SettingsAsRegistryTexts(const Settings& settings) {
  registry::ProductRegistryKey::NamedTexts texts;
  texts.reserve(RegistryFieldOrder().size());
  for (const FieldInfo& field : RegistryFieldOrder()) {
    texts.emplace_back(field.name,
                       field.kind == FieldKind::Text ? settings.*field.text : std::to_string(settings.*field.number));
  }
  return texts;
}

bool SaveSettingsToRegistry(platform::Registry& registry, const Settings& settings) {
  return registry::ProductRegistryKey{registry}.StoreTexts(registry::kProductKeyPath,
                                                           SettingsAsRegistryTexts(settings));
}

}  // namespace vellumor::settings
