#include "registry/ProductRegistryKey.h"

#include <algorithm>
#include <string>

#include "platform/Text.h"

namespace vellumor::registry {

namespace win_error = platform::win_error;
using platform::RegistryRoot;

namespace {

// The layers in the order they are read, each one's values counting over those before it: the
// machine's defaults, then the user's own settings where the platform keeps them apart.
std::vector<RegistryRoot> Layers() {
  std::vector<RegistryRoot> layers{RegistryRoot::LocalMachine};
  if (platform::UserSettingsRoot() != RegistryRoot::LocalMachine) {
    layers.push_back(platform::UserSettingsRoot());
  }
  return layers;
}

}  // namespace

bool ProductRegistryKey::Create(std::string_view keyPath) {
  Close();
  if (keyPath.empty() || registry_->CreateKey(platform::UserSettingsRoot(), keyPath) != win_error::kSuccess) {
    return false;
  }
  keyPath_ = std::string{keyPath};
  open_ = true;
  return true;
}

bool ProductRegistryKey::Open(std::string_view keyPath) {
  Close();
  if (keyPath.empty() || (registry_->OpenKey(RegistryRoot::LocalMachine, keyPath) != win_error::kSuccess &&
                          registry_->OpenKey(RegistryRoot::CurrentUser, keyPath) != win_error::kSuccess)) {
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
  long result = win_error::kFileNotFound;
  for (const RegistryRoot root : Layers()) {
    std::vector<platform::RegistryValue> layer;
    std::string layerProblem;
    const long read = registry_->ReadKey(root, keyPath, layer, layerProblem);
    if (read == win_error::kFileNotFound) {
      continue;
    }
    if (read != win_error::kSuccess) {
      // A layer that exists but cannot be read must not quietly give way to the one below it.
      problem = layerProblem;
      return read;
    }
    result = win_error::kSuccess;
    for (platform::RegistryValue& value : layer) {
      const auto same = std::find_if(values.begin(), values.end(),
                                     [&](const platform::RegistryValue& known) { return known.name == value.name; });
      if (same != values.end()) {
        *same = std::move(value);
      } else {
        values.push_back(std::move(value));
      }
    }
  }
  if (result != win_error::kSuccess) {
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
  if (registry_->CreateKey(platform::UserSettingsRoot(), keyPath_) != win_error::kSuccess) {
    return;
  }
  registry_->SetValue(platform::UserSettingsRoot(), keyPath_,
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
  return registry_->SetValues(platform::UserSettingsRoot(), keyPath, values) == win_error::kSuccess;
}

bool ProductRegistryKey::FindValue(std::string_view name, platform::RegistryValue& value) const {
  if (!snapshot_) {
    // The user's value counts over the machine's.
    return registry_->QueryValue(platform::UserSettingsRoot(), keyPath_, name, value) == win_error::kSuccess ||
           registry_->QueryValue(RegistryRoot::LocalMachine, keyPath_, name, value) == win_error::kSuccess;
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
  field = platform::ParseLeadingInteger(text);
}

}  // namespace vellumor::registry
