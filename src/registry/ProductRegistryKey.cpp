#include "registry/ProductRegistryKey.h"

#include <string>

#include "base/Text.h"

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

long ProductRegistryKey::OpenSnapshot(std::string_view keyPath, std::string& problem) {
  Close();
  problem.clear();
  if (keyPath.empty()) {
    return win_error::kBadArguments;
  }
  std::vector<platform::RegistryValue> values;
  if (const long result = registry_->ReadKey(RegistryRoot::LocalMachine, keyPath, values, problem);
      result != win_error::kSuccess) {
    return result;
  }
  keyPath_ = std::string{keyPath};
  open_ = true;
  snapshot_ = std::move(values);
  return win_error::kSuccess;
}

void ProductRegistryKey::Close() {
  open_ = false;
  keyPath_.clear();
  snapshot_.reset();
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

bool ProductRegistryKey::StoreTexts(std::string_view keyPath, const NamedTexts& texts) {
  Close();
  if (keyPath.empty()) {
    return false;
  }
  std::vector<platform::RegistryValue> values;
  values.reserve(texts.size());
  for (const auto& [name, text] : texts) {
    values.push_back(platform::RegistryValue{std::string{name}, platform::kRegSz, text});
  }
  return registry_->SetValues(RegistryRoot::LocalMachine, keyPath, values) == win_error::kSuccess;
}

bool ProductRegistryKey::FindValue(std::string_view name, platform::RegistryValue& value) const {
  if (!snapshot_) {
    return registry_->QueryValue(RegistryRoot::LocalMachine, keyPath_, name, value) == win_error::kSuccess;
  }
  for (const platform::RegistryValue& candidate : *snapshot_) {
    if (candidate.name == name) {
      value = candidate;
      return true;
    }
  }
  return false;
}

void ProductRegistryKey::GetText(std::string_view name, std::string& field) {
  if (!open_) {
    return;
  }
  // The value's type is not looked at, and its text ends at the first zero byte. Values of any
  // length come back whole, so a long text is never cut and then saved back shortened.
  platform::RegistryValue value;
  if (!FindValue(name, value) || value.data.empty()) {
    return;
  }
  field = value.data.substr(0, value.data.find('\0'));
}

void ProductRegistryKey::GetNumber(std::string_view name, std::int32_t& field) {
  std::string text = std::to_string(field);
  GetText(name, text);
  field = base::ParseLeadingInteger(text);
}

}  // namespace vellumor::registry
