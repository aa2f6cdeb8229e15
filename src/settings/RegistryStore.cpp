#include "settings/RegistryStore.h"

#include "registry/ProductRegistryKey.h"

namespace vellumor::settings {

bool LoadSettingsFromRegistry(platform::Registry& registry, Settings& settings) {
  registry::ProductRegistryKey key{registry};
  // Open, never create: a first start must not leave an empty product key behind, and a
  // missing key simply keeps the defaults.
  if (!key.Open(registry::kProductKeyPath)) {
    return false;
  }
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      key.GetText(field.name, settings.*field.text);
    } else {
      key.GetNumber(field.name, settings.*field.number);
    }
  }
  key.Close();
  return true;
}

bool SaveSettingsToRegistry(platform::Registry& registry, const Settings& settings) {
  registry::ProductRegistryKey key{registry};
  if (!key.Create(registry::kProductKeyPath)) {
    return false;
  }
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      key.SetText(field.name, settings.*field.text);
    } else {
      key.SetNumber(field.name, settings.*field.number);
    }
  }
  key.Close();
  return true;
}

}  // namespace vellumor::settings
