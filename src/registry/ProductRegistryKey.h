#pragma once
// The accessor for the product key, used by the settings store and by the updater. The key is
// read under HKEY_LOCAL_MACHINE (the defaults every user starts from) and then where the platform
// keeps a user's own settings (platform::UserSettingsRoot: HKEY_CURRENT_USER on Windows), whose
// values count over the machine's; it is written there and nowhere else. Every value is a REG_SZ
// text; flags and numbers are stored as decimal text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace vellumor::registry {

inline constexpr std::string_view kProductKeyPath = "SOFTWARE\\Corvane Software\\Vellumor";

class ProductRegistryKey final {
 public:
  explicit ProductRegistryKey(platform::Registry& registry) : registry_{&registry} {}

  // Creates the user's key if missing and opens it.
  bool Create(std::string_view keyPath);
  // Opens the key when the machine or the user has it.
  bool Open(std::string_view keyPath);
  // Opens the existing key and takes all its values from one read of the registry; GetText and
  // GetNumber then answer from that snapshot until the key is closed, so values written together
  // are read together. The result code of the read (0 when opened); for a registry that exists
  // but cannot be read at all, `problem` says why.
  long OpenSnapshot(std::string_view keyPath, std::string& problem);
  void Close();
  bool IsOpen() const { return open_; }

  // Write failures are not reported: a failed value does not keep the others from being written.
  // The user's key is made when only the machine's was there.
  void SetText(std::string_view name, std::string_view text);
  void SetNumber(std::string_view name, std::int32_t number);
  // Creates the key if missing and writes every (name, text) in one change: a reader sees all of
  // them or none, and the change costs one write. False when nothing could be written. The key is
  // left closed.
  using NamedTexts = std::vector<std::pair<std::string_view, std::string>>;
  bool StoreTexts(std::string_view keyPath, const NamedTexts& texts);

  // Replace `field` with the value of exactly that name when it exists with data; a missing or
  // empty value leaves `field` unchanged. Values of any length are read whole.
  void GetText(std::string_view name, std::string& field);
  void GetNumber(std::string_view name, std::int32_t& field);

 private:
  bool FindValue(std::string_view name, platform::RegistryValue& value) const;

  platform::Registry* registry_;
  std::string keyPath_;
  bool open_{false};
  std::optional<std::vector<platform::RegistryValue>> snapshot_;
};

}  // namespace vellumor::registry
