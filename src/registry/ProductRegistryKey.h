#pragma once
// The accessor for the product key under HKEY_LOCAL_MACHINE, used by the settings store and by
// the updater. Every value is a REG_SZ text; flags and numbers are stored as decimal text.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vellumor::registry {

inline constexpr std::string_view kProductKeyPath = "SOFTWARE\\Corvane Software\\Vellumor";

class ProductRegistryKey final {
 public:
  explicit ProductRegistryKey(platform::Registry& registry) : registry_{&registry} {}

  // Creates the key if missing and opens it.
  bool Create(std::string_view keyPath);
  // Opens the existing key.
  bool Open(std::string_view keyPath);
  void Close();
  bool IsOpen() const { return open_; }

  // Write failures are not reported: a failed value does not keep the others from being written.
  void SetText(std::string_view name, std::string_view text);
  void SetNumber(std::string_view name, std::int32_t number);

  // Replace `field` with the value of exactly that name when it exists with data; a missing or
  // empty value leaves `field` unchanged. Values of any length are read whole.
  void GetText(std::string_view name, std::string& field);
  void GetNumber(std::string_view name, std::int32_t& field);

 private:
  platform::Registry* registry_;
  std::string keyPath_;
  bool open_{false};
};

}  // namespace vellumor::registry
