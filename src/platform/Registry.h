#pragma once
// The registry as this program sees it: a root, a key path and named values, texts in UTF-8.
// On Windows it is the system's registry. On POSIX systems it is emulated by one text file per
// hive in the `.reg` export format, so that several processes (one per print job, plus the
// updater) can share it without losing each other's values.

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
inline constexpr long kPathNotFound = 3;
inline constexpr long kTooManyOpenFiles = 4;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kNotEnoughMemory = 8;
inline constexpr long kInvalidData = 13;
inline constexpr long kGeneralFailure = 31;
inline constexpr long kSharingViolation = 32;
inline constexpr long kFileExists = 80;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kDiskFull = 112;
inline constexpr long kBadArguments = 160;
inline constexpr long kFileNameTooLong = 206;
inline constexpr long kMoreData = 234;
inline constexpr long kIoDeviceError = 1117;
}  // namespace win_error

struct RegistryValue {
  std::string name;  // "" is the key's default value ("@" in the file)
  std::uint32_t type{kRegSz};
  std::string data;  // REG_SZ: the text without terminator; REG_DWORD: 4 bytes little-endian; else raw bytes
};

struct Hive;
struct HiveDamage;

// One registry, named by a folder. Key paths use "\" and compare without regard to letter case;
// value names compare exactly (the product key's readers expect it, although Windows itself
// ignores their case).
//
// POSIX: the folder holds `system.reg` (HKEY_LOCAL_MACHINE) and `user.reg` (HKEY_CURRENT_USER).
// Every call reads the hive afresh; every change is a locked read-modify-write published by an
// atomic rename, so concurrent writers lose nothing and a writer killed half-way leaves the
// previous hive in place. A hive with damaged lines still yields every readable key and value;
// the damage is told once through `diagnostics` (one line naming the hive), until the hive reads
// clean again.
//
// Windows: an empty folder is the machine's registry itself; any other folder a private one whose
// two roots live below HKEY_CURRENT_USER (tests and isolated runs), so that nothing touches the
// machine's settings. The system keeps its hives whole itself; `diagnostics` is never called.
class Registry final {
 public:
  using Diagnostics = std::function<void(std::string_view line)>;
  // Writes "vellumor: <line>" to standard error.
  static void StandardErrorLine(std::string_view line);

  explicit Registry(std::filesystem::path folder, Diagnostics diagnostics = StandardErrorLine);

  // $VELLUMOR_REGISTRY if set. Else, POSIX: $XDG_CONFIG_HOME/vellumor/registry, else
  // $HOME/.config/vellumor/registry; Windows: the machine's registry (an empty folder).
  static std::filesystem::path DefaultFolder();

  const std::filesystem::path& Folder() const { return folder_; }
  // POSIX: the file that holds the hive of `root` (Windows keeps its hives itself and has none).
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
  // The emulated registry's hive files (POSIX).
  long ReadHive(RegistryRoot root, Hive& hive, std::string* problem) const;
  // Lets `change` edit the hive of `root` at the key's full path (kBadArguments for a path no
  // section header can hold), and publishes the result when it reports a change.
  long ModifyKey(RegistryRoot root, std::string_view keyPath,
                 const std::function<long(Hive& hive, const std::string& fullPath, bool& changed)>& change);
  void Report(RegistryRoot root, const HiveDamage& damage) const;

  std::filesystem::path folder_;
  Diagnostics diagnostics_;
  mutable std::array<bool, 2> damageReported_{};  // by root: told since the hive last read clean
};

}  // namespace vellumor::platform
