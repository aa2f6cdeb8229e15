#include "registry/RegistryKey.h"

#include <cstddef>

#include "base/Utf8.h"

namespace vellumor::registry {

namespace win_error = platform::win_error;

bool RegistryKey::Open(std::string_view keyPath, platform::RegistryRoot root) {
  Close();
  if (keyPath.empty()) {
    lastError_ = win_error::kBadArguments;
    return false;
  }
  lastError_ = registry_->OpenKeyForWriting(root, keyPath);
  if (lastError_ != win_error::kSuccess) {
    return false;
  }
  root_ = root;
  keyPath_ = std::string{keyPath};
  open_ = true;
  return true;
}

bool RegistryKey::CanUseValue(std::string_view name) {
  if (name.empty()) {
    lastError_ = win_error::kBadArguments;
    return false;
  }
  if (!open_) {
    lastError_ = win_error::kInvalidHandle;
    return false;
  }
  return true;
}

bool RegistryKey::ReadValue(std::string_view name, platform::RegistryValue& value) {
  if (!CanUseValue(name)) {
    return false;
  }
  lastError_ = registry_->QueryValue(root_, keyPath_, name, value);
  return lastError_ == win_error::kSuccess;
}

bool RegistryKey::QueryInfo(std::string_view name, std::uint32_t& byteSize, std::uint32_t& type) {
  platform::RegistryValue value;
  if (!ReadValue(name, value)) {
    return false;
  }
  byteSize = static_cast<std::uint32_t>(value.data.size());
  type = value.type;
  return true;
}

bool RegistryKey::QueryText(std::string_view name, std::string& destination, std::uint32_t& byteSize) {
  platform::RegistryValue value;
  if (!ReadValue(name, value)) {
    return false;
  }
  // The value is read into a scratch area one byte larger than the caller's size; data that
  // does not fit there is refused as a whole, as the system's query does.
  if (value.data.size() > static_cast<std::size_t>(byteSize) + 1) {
    lastError_ = win_error::kMoreData;
    return false;
  }
  const std::string_view data{value.data};
  const std::string_view text = data.substr(0, data.find('\0'));
  // The text is copied into a buffer of that size: a multi-byte character is never cut in two.
  const std::size_t copied = base::Utf8Prefix(text, byteSize).size();
  destination.assign(text.substr(0, copied));
  byteSize = static_cast<std::uint32_t>(copied);
  return true;
}

bool RegistryKey::DeleteValue(std::string_view name) {
  if (!CanUseValue(name)) {
    return false;
  }
  lastError_ = registry_->DeleteValue(root_, keyPath_, name);
  return lastError_ == win_error::kSuccess;
}

void RegistryKey::Close() {
  open_ = false;
  keyPath_.clear();
}

std::uint32_t RegistryKey::ValueSize(platform::Registry& registry, platform::RegistryRoot root,
                                     std::string_view keyPath, std::string_view name) {
  RegistryKey key{registry};
  std::uint32_t byteSize{0};
  std::uint32_t type{0};
  const bool found = key.Open(keyPath, root) && key.QueryInfo(name, byteSize, type);
  key.Close();
  return found ? byteSize : 0;
}

long RegistryKey::ReadText(platform::Registry& registry, platform::RegistryRoot root, std::string_view keyPath,
                           std::string_view name, std::string& destination, std::uint32_t byteSize) {
  RegistryKey key{registry};
  if (key.Open(keyPath, root)) {
    key.QueryText(name, destination, byteSize);
  }
  key.Close();
  return key.LastError();
}

long RegistryKey::RemoveValue(platform::Registry& registry, platform::RegistryRoot root, std::string_view keyPath,
                              std::string_view name) {
  RegistryKey key{registry};
  if (key.Open(keyPath, root)) {
    key.DeleteValue(name);
  }
  key.Close();
  return key.LastError();
}

}  // namespace vellumor::registry
