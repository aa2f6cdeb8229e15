#pragma once
// The registry as this program sees it: a root, a key path and named values. On Linux it is
// emulated by one text file per hive in the `.reg` export format, so that several processes
// (one per print job, plus the updater) can share it without losing each other's values.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Where a user's own settings are written. On Windows that is the user's hive: a standard user
// cannot write the machine's, which holds the installer's defaults for everyone. The emulated
// registry's machine hive is the user's own file, so there the settings stay where they were.
RegistryRoot UserSettingsRoot();

// Value types, numbered as on Windows.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Result codes, numbered as the Windows error codes callers and messages rely on.
namespace win_error {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kInvalidData = 13;
inline constexpr long kBadArguments = 160;
inline constexpr long kMoreData = 234;
}  // namespace win_error

struct RegistryValue {
  std::string name;  // "" is the key's default value ("@" in the file)
  std::uint32_t type{kRegSz};
  std::string data;  // REG_SZ: the text without terminator; REG_DWORD: 4 bytes little-endian; else raw bytes
};

struct Hive;
struct HiveDamage;

// One emulated registry: a folder with `system.reg` (HKEY_LOCAL_MACHINE) and `user.reg`
// (HKEY_CURRENT_USER). Key paths use "\" and compare without regard to letter case; value
// names compare exactly. Every call reads the hive afresh; every change is a locked
// read-modify-write published by an atomic rename, so concurrent writers lose nothing and a
// writer killed half-way leaves the previous hive in place.
//
// A hive with damaged lines still yields every readable key and value; the damage is told once
// through `diagnostics` (one line naming the hive), until the hive reads clean again.
class Registry final {
 public:
  using Diagnostics = std::function<void(std::string_view line)>;
  // Writes "vellumor: <line>" to standard error.
  static void StandardErrorLine(std::string_view line);

  explicit Registry(std::filesystem::path folder, Diagnostics diagnostics = StandardErrorLine);

  // $VELLUMOR_REGISTRY if set, else $XDG_CONFIG_HOME/vellumor/registry, else
  // $HOME/.config/vellumor/registry.
  static std::filesystem::path DefaultFolder();

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path HivePath(RegistryRoot root) const;

  // kSuccess when the key exists, kFileNotFound when it does not, another code on failure.
  long OpenKey(RegistryRoot root, std::string_view keyPath) const;
  // As OpenKey, and kAccessDenied when this process may not change the hive: what opening a key
  // with full access answers.
  long OpenKeyForWriting(RegistryRoot root, std::string_view keyPath) const;
  // Creates the key (and its parents) when missing.
  long CreateKey(RegistryRoot root, std::string_view keyPath);
  // The key's values in stored order.
  long ListValues(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values) const;
  // The same, and when the hive exists but cannot be read at all, `problem` says why (the hive's
  // path and the system's reason); it is empty otherwise.
  long ReadKey(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values,
               std::string& problem) const;
  long QueryValue(RegistryRoot root, std::string_view keyPath, std::string_view name, RegistryValue& value) const;
  // Replaces the value of that exact name, or appends it; the key must exist.
  long SetValue(RegistryRoot root, std::string_view keyPath, const RegistryValue& value);
  // Creates the key when missing and replaces or appends every value, all in one change of the
  // hive: a reader sees all of them or none, and the change costs one write however many values
  // it holds.
  long SetValues(RegistryRoot root, std::string_view keyPath, std::span<const RegistryValue> values);
  long DeleteValue(RegistryRoot root, std::string_view keyPath, std::string_view name);

 private:
  long ReadHive(RegistryRoot root, Hive& hive, std::string* problem) const;
  long ModifyHive(RegistryRoot root, const std::function<long(Hive& hive, bool& changed)>& change);
  void Report(RegistryRoot root, const HiveDamage& damage) const;

  std::filesystem::path folder_;
  Diagnostics diagnostics_;
  mutable std::array<bool, 2> damageReported_{};  // by root: told since the hive last read clean
};

}  // namespace vellumor::platform
