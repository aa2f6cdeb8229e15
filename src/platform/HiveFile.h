#pragma once
// The text form of one emulated registry hive: a `.reg` export ("REGEDIT4", then one
// "[full\key\path]" section per key with its values), and the in-memory hive it stands for.
// Pure functions, so that the format can be checked without touching files.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace vellumor::platform {

struct HiveKey {
  std::string path;                   // the full path as written in the section header, root name included
  std::vector<RegistryValue> values;  // in stored order
};

struct Hive {
  std::vector<HiveKey> keys;  // in stored order; a parent comes before its children

  // The key of that path, compared without regard to ASCII letter case, or nullptr.
  HiveKey* FindKey(std::string_view path);
  const HiveKey* FindKey(std::string_view path) const;
};

// The value of exactly that name (byte for byte), or nullptr.
RegistryValue* FindValue(HiveKey& key, std::string_view name);
const RegistryValue* FindValue(const HiveKey& key, std::string_view name);

// True when two key paths name the same key: registry keys ignore ASCII letter case.
bool KeyPathsEqual(std::string_view left, std::string_view right);

// The hive written by `SerializeHive`, or nothing when the text is not a hive this program can
// read back without loss. An empty text is an empty hive.
std::optional<Hive> ParseHive(std::string_view text);

// The file text of the hive. Any bytes in names and data survive `ParseHive` unchanged.
std::string SerializeHive(const Hive& hive);

}  // namespace vellumor::platform
