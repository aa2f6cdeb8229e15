#pragma once
// A general accessor for one open registry key, with Windows-style result codes kept in
// `LastError` (0 after success; 160 for a missing argument; 6 when no key is open).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vellumor::registry {

class RegistryKey final {
 public:
  explicit RegistryKey(platform::Registry& registry) : registry_{&registry} {}

  // Each returns true exactly when LastError() is 0 afterwards.
  bool Open(std::string_view keyPath, platform::RegistryRoot root);
  bool QueryInfo(std::string_view name, std::uint32_t& byteSize, std::uint32_t& type);
  // Copies at most `byteSize` bytes of the text (never splitting a multi-byte character) into
  // `destination`, and sets `byteSize` to the number of bytes copied. On failure `destination`
  // is left untouched.
  bool QueryText(std::string_view name, std::string& destination, std::uint32_t& byteSize);
  bool DeleteValue(std::string_view name);
  void Close();

  bool IsOpen() const { return open_; }
  long LastError() const { return lastError_; }

  // One-call forms: Open, the operation, Close.
  static std::uint32_t ValueSize(platform::Registry& registry, platform::RegistryRoot root, std::string_view keyPath,
                                 std::string_view name);
  static long ReadText(platform::Registry& registry, platform::RegistryRoot root, std::string_view keyPath,
                       std::string_view name, std::string& destination, std::uint32_t byteSize);
  static long RemoveValue(platform::Registry& registry, platform::RegistryRoot root, std::string_view keyPath,
                          std::string_view name);

 private:
  // The checks every value operation starts with: a name and an open key.
  bool CanUseValue(std::string_view name);
  bool ReadValue(std::string_view name, platform::RegistryValue& value);

  platform::Registry* registry_;
  platform::RegistryRoot root_{platform::RegistryRoot::LocalMachine};
  std::string keyPath_;
  bool open_{false};
  long lastError_{0};
};

}  // namespace vellumor::registry
