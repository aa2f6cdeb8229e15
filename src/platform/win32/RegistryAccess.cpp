#include "platform/win32/RegistryAccess.h"

#include "platform/win32/WideText.h"

namespace vellumor::platform {

namespace {

HKEY PredefinedRoot(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The key below HKEY_CURRENT_USER that holds one root of a private registry. Key names cannot
// hold a backslash, so the folder's separators become slashes.
std::wstring PrivateRootPath(const std::filesystem::path& folder, RegistryRoot root) {
  std::wstring name = folder.native();
  for (wchar_t& c : name) {
    if (c == L'\\') {
      c = L'/';
    }
  }
  std::wstring path{kPrivateRegistriesKey};
  path += L'\\';
  path += name;
  path += root == RegistryRoot::LocalMachine ? L"\\HKEY_LOCAL_MACHINE" : L"\\HKEY_CURRENT_USER";
  return path;
}

// The root key of `root` in the registry of `folder`. The roots of a private registry exist as
// soon as anybody looks, as the machine's roots always do.
long OpenRoot(const std::filesystem::path& folder, RegistryRoot root, KeyHandle& base) {
  if (folder.empty()) {
    base.Borrow(PredefinedRoot(root));
    return ERROR_SUCCESS;
  }
  HKEY key = nullptr;
  const LONG result = ::RegCreateKeyExW(HKEY_CURRENT_USER, PrivateRootPath(folder, root).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) {
    base.Own(key);
  }
  return result;
}

}  // namespace

void KeyHandle::Reset() {
  if (key_ != nullptr && owned_) {
    ::RegCloseKey(key_);
  }
  key_ = nullptr;
  owned_ = false;
}

std::wstring NormalisedKeyPath(std::string_view keyPath) {
  std::wstring path;
  std::size_t start{0};
  while (start <= keyPath.size()) {
    std::size_t end = keyPath.find('\\', start);
    if (end == std::string_view::npos) {
      end = keyPath.size();
    }
    if (end > start) {
      if (!path.empty()) {
        path += L'\\';
      }
      path += WideFromUtf8(keyPath.substr(start, end - start));
    }
    start = end + 1;
  }
  return path;
}

namespace {

long OpenOrCreate(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath, REGSAM access,
                  bool create, KeyHandle& key) {
  KeyHandle base;
  if (const long result = OpenRoot(folder, root, base); result != ERROR_SUCCESS) {
    return result;
  }
  const std::wstring path = NormalisedKeyPath(keyPath);
  HKEY opened = nullptr;
  const LONG result = create ? ::RegCreateKeyExW(base.Get(), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                                 nullptr, &opened, nullptr)
                             : ::RegOpenKeyExW(base.Get(), path.c_str(), 0, access, &opened);
  if (result == ERROR_SUCCESS) {
    key.Own(opened);
  }
  return result;
}

}  // namespace

long OpenRegistryKey(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath, REGSAM access,
                     KeyHandle& key) {
  return OpenOrCreate(folder, root, keyPath, access, false, key);
}

long CreateRegistryKey(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath, REGSAM access,
                       KeyHandle& key) {
  return OpenOrCreate(folder, root, keyPath, access, true, key);
}

long ListSubkeyNames(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath,
                     std::vector<std::string>& names) {
  names.clear();
  KeyHandle key;
  if (const long result = OpenRegistryKey(folder, root, keyPath, KEY_ENUMERATE_SUB_KEYS, key);
      result != ERROR_SUCCESS) {
    return result;
  }
  // Key names hold at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    const LONG result = ::RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) {
      return ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
      return result;
    }
    names.push_back(Utf8FromWide(std::wstring_view{name, length}));
  }
}

long DeletePrivateRegistry(const std::filesystem::path& folder) {
  if (folder.empty()) {
    return ERROR_SUCCESS;
  }
  std::wstring path = PrivateRootPath(folder, RegistryRoot::LocalMachine);
  path.resize(path.rfind(L'\\'));
  const LONG result = ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    return result;
  }
  // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
  const LONG removed = ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
}

}  // namespace vellumor::platform
