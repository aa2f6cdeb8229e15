// The registry seam on Windows: the real registry, through the wide-character API. Names and
// string data are UTF-8 on this side and UTF-16 in the registry. Value names compare exactly,
// as the product key's readers expect, although the registry itself ignores their letter case.

#include "platform/Registry.h"

#include <algorithm>
#include <optional>

#include "platform/Environment.h"
#include "platform/SystemEvents.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"

namespace vellumor::platform {

namespace {

bool IsTextType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == REG_MULTI_SZ;
}

// Registry data as the seam hands it out: texts in UTF-8 without their terminating zero, other
// types byte for byte.
std::string DataFromRegistry(std::uint32_t type, const std::vector<BYTE>& bytes) {
  if (!IsTextType(type)) {
    return std::string{bytes.begin(), bytes.end()};
  }
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
            reinterpret_cast<BYTE*>(text.data()));
  if (!text.empty() && text.back() == L'\0') {
    text.pop_back();
  }
  return Utf8FromWide(text);
}

// Texts are stored with their terminating zero, as the registry's readers expect.
std::vector<BYTE> DataForRegistry(const RegistryValue& value) {
  if (!IsTextType(value.type)) {
    return std::vector<BYTE>{value.data.begin(), value.data.end()};
  }
  std::wstring text = WideFromUtf8(value.data);
  text.push_back(L'\0');
  const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
  return std::vector<BYTE>{bytes, bytes + text.size() * sizeof(wchar_t)};
}

// Reads the value of that name (found by the system, so regardless of letter case).
long ReadValue(HKEY key, const std::wstring& name, RegistryValue& value) {
  std::vector<BYTE> bytes;
  DWORD type = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(bytes.size());
    const LONG result =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.empty() ? nullptr : bytes.data(), &size);
    if (result == ERROR_SUCCESS && (size <= bytes.size() || size == 0)) {
      bytes.resize(size);
      break;
    }
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
      return result;
    }
    bytes.resize(size);  // asked for the size, or the value grew meanwhile: read again
  }
  value.type = type;
  value.data = DataFromRegistry(type, bytes);
  return ERROR_SUCCESS;
}

// The stored name of every value, in the key's order.
long ListValueNames(HKEY key, std::vector<std::wstring>& names) {
  names.clear();
  DWORD longest = 0;
  if (const LONG result = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             &longest, nullptr, nullptr, nullptr);
      result != ERROR_SUCCESS) {
    return result;
  }
  std::wstring name(static_cast<std::size_t>(longest) + 1, L'\0');
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG result = ::RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) {
      return ERROR_SUCCESS;
    }
    if (result == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);  // a longer name was added meanwhile
      continue;
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    names.emplace_back(name.data(), length);
    ++index;
  }
}

// The stored name that equals `name` exactly, if any.
std::optional<std::wstring> ExactName(HKEY key, std::string_view name, long& result) {
  std::vector<std::wstring> names;
  result = ListValueNames(key, names);
  if (result != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring wanted = WideFromUtf8(name);
  for (std::wstring& candidate : names) {
    if (candidate == wanted) {
      return std::move(candidate);
    }
  }
  result = ERROR_FILE_NOT_FOUND;
  return std::nullopt;
}

}  // namespace

Registry::Registry(std::filesystem::path folder, Diagnostics diagnostics)
    : folder_{std::move(folder)}, diagnostics_{std::move(diagnostics)} {}

RegistryRoot UserSettingsRoot() {
  return RegistryRoot::CurrentUser;
}

std::filesystem::path Registry::DefaultFolder() {
  // The machine's registry, unless a private one is asked for (isolated runs of the program).
  if (std::optional<std::string> folder = GetEnvironmentVariable("VELLUMOR_REGISTRY"); folder && !folder->empty()) {
    return PathFromUtf8(*folder);
  }
  return {};
}

long Registry::OpenKey(RegistryRoot root, std::string_view keyPath) const {
  KeyHandle key;
  return OpenRegistryKey(folder_, root, keyPath, KEY_READ, key);
}

long Registry::OpenKeyForWriting(RegistryRoot root, std::string_view keyPath) const {
  KeyHandle key;
  return OpenRegistryKey(folder_, root, keyPath, KEY_ALL_ACCESS, key);
}

long Registry::CreateKey(RegistryRoot root, std::string_view keyPath) {
  KeyHandle key;
  return CreateRegistryKey(folder_, root, keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, key);
}

long Registry::ReadKey(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values,
                       std::string& problem) const {
  problem.clear();
  const long result = ListValues(root, keyPath, values);
  // The registry has no damaged file to skip: a key that exists but cannot be read is the one
  // problem to tell.
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && result != ERROR_PATH_NOT_FOUND) {
    problem = SystemErrorText(result);
  }
  return result;
}

long Registry::ListValues(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values) const {
  values.clear();
  KeyHandle key;
  if (const long result = OpenRegistryKey(folder_, root, keyPath, KEY_QUERY_VALUE, key); result != ERROR_SUCCESS) {
    return result;
  }
  std::vector<std::wstring> names;
  if (const long result = ListValueNames(key.Get(), names); result != ERROR_SUCCESS) {
    return result;
  }
  for (const std::wstring& name : names) {
    RegistryValue value;
    if (ReadValue(key.Get(), name, value) == ERROR_SUCCESS) {  // a value deleted meanwhile is left out
      value.name = Utf8FromWide(name);
      values.push_back(std::move(value));
    }
  }
  return ERROR_SUCCESS;
}

long Registry::QueryValue(RegistryRoot root, std::string_view keyPath, std::string_view name,
                          RegistryValue& value) const {
  KeyHandle key;
  long result = OpenRegistryKey(folder_, root, keyPath, KEY_QUERY_VALUE, key);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  const std::optional<std::wstring> stored = ExactName(key.Get(), name, result);
  if (!stored) {
    return result;
  }
  RegistryValue found;
  result = ReadValue(key.Get(), *stored, found);
  if (result == ERROR_SUCCESS) {
    found.name = std::string{name};
    value = std::move(found);
  }
  return result;
}

long Registry::SetValue(RegistryRoot root, std::string_view keyPath, const RegistryValue& value) {
  KeyHandle key;
  if (const long result = OpenRegistryKey(folder_, root, keyPath, KEY_SET_VALUE, key); result != ERROR_SUCCESS) {
    return result;
  }
  const std::vector<BYTE> data = DataForRegistry(value);
  return ::RegSetValueExW(key.Get(), WideFromUtf8(value.name).c_str(), 0, value.type, data.data(),
                          static_cast<DWORD>(data.size()));
}

long Registry::SetValues(RegistryRoot root, std::string_view keyPath, std::span<const RegistryValue> values) {
  KeyHandle key;
  if (const long result = CreateRegistryKey(folder_, root, keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, key);
      result != ERROR_SUCCESS) {
    return result;
  }
  for (const RegistryValue& value : values) {
    const std::vector<BYTE> data = DataForRegistry(value);
    if (const LONG result = ::RegSetValueExW(key.Get(), WideFromUtf8(value.name).c_str(), 0, value.type, data.data(),
                                             static_cast<DWORD>(data.size()));
        result != ERROR_SUCCESS) {
      return result;
    }
  }
  return ERROR_SUCCESS;
}

long Registry::DeleteValue(RegistryRoot root, std::string_view keyPath, std::string_view name) {
  KeyHandle key;
  long result = OpenRegistryKey(folder_, root, keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, key);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  const std::optional<std::wstring> stored = ExactName(key.Get(), name, result);
  if (!stored) {
    return result;
  }
  return ::RegDeleteValueW(key.Get(), stored->c_str());
}

}  // namespace vellumor::platform
