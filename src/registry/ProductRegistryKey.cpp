#include "registry/ProductRegistryKey.h"

#include <string>

#include "platform/Text.h"

namespace vellumor::registry {

namespace win_error = platform::win_error;
using platform::RegistryRoot;

bool ProductRegistryKey::Create(std::string_view keyPath) {
  Close();
  if (keyPath.empty() || registry_->CreateKey(RegistryRoot::LocalMachine, keyPath) != win_error::kSuccess) {
    return false;
  }
  keyPath_ = std::string{keyPath};
  open_ = true;
  return true;
}

bool ProductRegistryKey::Open(std::string_view keyPath) {
  Close();
  if (keyPath.empty() || registry_->OpenKey(RegistryRoot::LocalMachine, keyPath) != win_error::kSuccess) {
    return false;
  }
  keyPath_ = std::string{keyPath};
  open_ = true;
  return true;
}

void ProductRegistryKey::Close() {
  open_ = false;
  keyPath_.clear();
}

void ProductRegistryKey::SetText(std::string_view name, std::string_view text) {
  if (!open_) {
    return;
  }
  registry_->SetValue(RegistryRoot::LocalMachine, keyPath_,
                      platform::RegistryValue{std::string{name}, platform::kRegSz, std::string{text}});
}

void ProductRegistryKey::SetNumber(std::string_view name, std::int32_t number) {
  SetText(name, std::to_string(number));
}

void ProductRegistryKey::GetText(std::string_view name, std::string& field) {
  if (!open_) {
    return;
  }
  // The value's type is not looked at, and its text ends at the first zero byte. Values of any
  // length come back whole, so a long text is never cut and then saved back shortened.
  platform::RegistryValue value;
  if (registry_->QueryValue(RegistryRoot::LocalMachine, keyPath_, name, value) != win_error::kSuccess ||
      value.data.empty()) {
    return;
  }
  field = value.data.substr(0, value.data.find('\0'));
}

void ProductRegistryKey::GetNumber(std::string_view name, std::int32_t& field) {
  std::string text = std::to_string(field);
  GetText(name, text);
  field = platform::ParseLeadingInteger(text);
}

}  // namespace vellumor::registry
