#pragma once
// The text form of one emulated registry hive: a `.reg` export ("REGEDIT4", then one
// "[full\key\path]" section per key with its values), and the in-memory hive it stands for.
// Pure functions, so that the format can be checked without touching files.

#include <cstddef>
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

// The lines of a hive text that could not be read and were left out.
struct HiveDamage {
  std::size_t lines{0};      // how many
  std::size_t firstLine{0};  // the number of the first of them, counting from 1

  void Note(std::size_t line) {
    if (lines++ == 0) {
      firstLine = line;
    }
  }
};

struct ParsedHive {
  Hive hive;
  HiveDamage damage;
};

// The hive a text holds, read line by line: a damaged line (cut short, garbled, a value outside
// any readable section) is left out and counted, and every readable key and value is kept, so
// that one bad line cannot take the others with it. A UTF-8 byte-order mark and CR LF line ends
// are accepted; an empty text is an empty hive.
ParsedHive ParseHive(std::string_view text);

// The file text of the hive. Any bytes in names and data survive `ParseHive` unchanged, and the
// text reads back without damage.
std::string SerializeHive(const Hive& hive);

}  // namespace vellumor::platform
