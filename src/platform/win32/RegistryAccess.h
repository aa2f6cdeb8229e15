#pragma once
// Opening keys of the real Windows registry for the registry seam and for the other Windows
// parts that read it (the desktop folder, Ghostscript's installation record).
//
// A `Registry` made with an empty folder is the machine's registry itself. One made with any
// other folder is a private registry: both of its roots live below
// HKEY_CURRENT_USER\Software\Vellumor private registries\<folder>, so that tests and tools can
// work on keys of their own without touching the machine's settings or needing rights to
// HKEY_LOCAL_MACHINE.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

inline constexpr std::wstring_view kPrivateRegistriesKey = L"Software\\Vellumor private registries";

// An open key, closed when the handle goes. The predefined roots are never closed.
class KeyHandle final {
 public:
  KeyHandle() = default;
  ~KeyHandle() { Reset(); }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;

  HKEY Get() const { return key_; }
  // Takes ownership of a key the caller opened.
  void Own(HKEY key) {
    Reset();
    key_ = key;
    owned_ = true;
  }
  void Borrow(HKEY key) {
    Reset();
    key_ = key;
    owned_ = false;
  }
  void Reset();

 private:
  HKEY key_{nullptr};
  bool owned_{false};
};

// The key path as the system takes it: names joined by single backslashes, empty names from
// doubled or outer backslashes dropped (as the emulated registry does).
std::wstring NormalisedKeyPath(std::string_view keyPath);

// Opens an existing key of the registry `folder` stands for; a Windows error code.
long OpenRegistryKey(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath, REGSAM access,
                     KeyHandle& key);
// As OpenRegistryKey, creating the key and its parents when missing.
long CreateRegistryKey(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath, REGSAM access,
                       KeyHandle& key);

// The names of the key's subkeys, in the system's order.
long ListSubkeyNames(const std::filesystem::path& folder, RegistryRoot root, std::string_view keyPath,
                     std::vector<std::string>& names);

// Removes a private registry with all its keys (tests clean up with it). Nothing for the
// machine's registry.
long DeletePrivateRegistry(const std::filesystem::path& folder);

}  // namespace vellumor::platform
