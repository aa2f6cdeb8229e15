#pragma once
// A settings record for store round trips: every field differs from its default.

#include <string>

#include "settings/Settings.h"

namespace vellumor::test {

inline settings::Settings SampleSettings() {
  using settings::FieldInfo;
  using settings::FieldKind;
  settings::Settings s{settings::DefaultSettings("/home/ada")};
  int n{1};
  for (const FieldInfo& field : settings::RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      s.*field.text = std::string{field.name} + " value " + std::to_string(n);
    } else {
      s.*field.number = field.kind == FieldKind::Flag ? 1 - s.*field.number : -1000 - n;
    }
    ++n;
  }
  return s;
}

}  // namespace vellumor::test
