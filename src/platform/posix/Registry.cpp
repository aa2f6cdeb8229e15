#include "platform/Registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/Environment.h"
#include "platform/HiveFile.h"
#include "platform/SystemEvents.h"
#include "platform/posix/HiveStore.h"

namespace vellumor::platform {

namespace {

std::string_view RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// The key's path as the hive's section header holds it: the root's name, then the key names
// joined by single backslashes (empty names from doubled or outer backslashes are dropped).
// Nothing for a name with a control character, which a section header line could not hold.
std::optional<std::string> FullKeyPath(RegistryRoot root, std::string_view keyPath) {
  std::string full{RootName(root)};
  std::size_t start{0};
  while (start <= keyPath.size()) {
    std::size_t end = keyPath.find('\\', start);
    if (end == std::string_view::npos) {
      end = keyPath.size();
    }
    const std::string_view name = keyPath.substr(start, end - start);
    for (const char c : name) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        return std::nullopt;
      }
    }
    if (!name.empty()) {
      full += '\\';
      full += name;
    }
    start = end + 1;
  }
  return full;
}

bool IsRootPath(std::string_view fullPath) {
  return fullPath.find('\\') == std::string_view::npos;
}

// A key exists when it has a section, when it is a root, or when a section below it exists
// (a hand-edited hive may leave out a parent's own section).
bool KeyExists(const Hive& hive, std::string_view fullPath) {
  if (IsRootPath(fullPath) || hive.FindKey(fullPath) != nullptr) {
    return true;
  }
  for (const HiveKey& key : hive.keys) {
    if (key.path.size() > fullPath.size() && key.path[fullPath.size()] == '\\' &&
        KeyPathsEqual(std::string_view{key.path}.substr(0, fullPath.size()), fullPath)) {
      return true;
    }
  }
  return false;
}

// The key's section, added (with the sections of its missing parents) when absent. A root
// gets a section only when values are stored on it.
HiveKey& EnsureKey(Hive& hive, std::string_view fullPath, bool& changed) {
  const std::size_t rootEnd = fullPath.find('\\');
  std::size_t end = rootEnd == std::string_view::npos ? rootEnd : fullPath.find('\\', rootEnd + 1);
  for (;;) {
    const std::string_view prefix = fullPath.substr(0, end);
    if (hive.FindKey(prefix) == nullptr) {
      hive.keys.push_back(HiveKey{std::string{prefix}, {}});
      changed = true;
    }
    if (end == std::string_view::npos) {
      break;
    }
    end = fullPath.find('\\', end + 1);
  }
  return *hive.FindKey(fullPath);
}

// Replaces the value of that exact name in place, or appends it.
void PutValue(HiveKey& key, const RegistryValue& value, bool& changed) {
  if (RegistryValue* existing = FindValue(key, value.name)) {
    if (existing->type != value.type || existing->data != value.data) {
      existing->type = value.type;
      existing->data = value.data;
      changed = true;
    }
  } else {
    key.values.push_back(value);
    changed = true;
  }
}

std::string DamageText(const std::filesystem::path& hivePath, const HiveDamage& damage) {
  std::string text = hivePath.string() + ": ";
  if (damage.lines == 1) {
    text += "skipped damaged line " + std::to_string(damage.firstLine);
  } else {
    text += "skipped " + std::to_string(damage.lines) + " damaged lines, the first at line " +
            std::to_string(damage.firstLine);
  }
  return text + " (the whole file is kept as a \".bad\" copy beside it when it is next changed)";
}

}  // namespace

Registry::Registry(std::filesystem::path folder, Diagnostics diagnostics)
    : folder_{std::move(folder)}, diagnostics_{std::move(diagnostics)} {}

long Registry::ReadHive(RegistryRoot root, Hive& hive, std::string* problem) const {
  HiveReadNotes notes;
  const long result = HiveStore{HivePath(root)}.Read(hive, notes);
  Report(root, notes.damage);
  if (problem != nullptr) {
    *problem = std::move(notes.problem);
  }
  return result;
}

long Registry::ModifyHive(RegistryRoot root, const std::function<long(Hive& hive, bool& changed)>& change) {
  HiveReadNotes notes;
  const long result = HiveStore{HivePath(root)}.Modify(change, notes);
  Report(root, notes.damage);
  return result;
}

void Registry::Report(RegistryRoot root, const HiveDamage& damage) const {
  bool& reported = damageReported_[root == RegistryRoot::LocalMachine ? 0 : 1];
  if (damage.lines == 0) {
    reported = false;
    return;
  }
  // Every job reads the hives several times; one line tells the user all there is to know.
  if (!reported && diagnostics_) {
    diagnostics_(DamageText(HivePath(root), damage));
  }
  reported = true;
}

RegistryRoot UserSettingsRoot() {
  return RegistryRoot::LocalMachine;
}

std::filesystem::path Registry::DefaultFolder() {
  if (std::optional<std::string> folder = GetEnvironmentVariable("VELLUMOR_REGISTRY"); folder && !folder->empty()) {
    return *folder;
  }
  if (std::optional<std::string> config = GetEnvironmentVariable("XDG_CONFIG_HOME"); config && !config->empty()) {
    return std::filesystem::path{*config} / "vellumor" / "registry";
  }
  return HomeFolder() / ".config" / "vellumor" / "registry";
}

std::filesystem::path Registry::HivePath(RegistryRoot root) const {
  return folder_ / (root == RegistryRoot::LocalMachine ? "system.reg" : "user.reg");
}

long Registry::OpenKey(RegistryRoot root, std::string_view keyPath) const {
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  Hive hive;
  if (const long result = ReadHive(root, hive, nullptr); result != win_error::kSuccess) {
    return result;
  }
  return KeyExists(hive, *full) ? win_error::kSuccess : win_error::kFileNotFound;
}

long Registry::OpenKeyForWriting(RegistryRoot root, std::string_view keyPath) const {
  if (const long result = OpenKey(root, keyPath); result != win_error::kSuccess) {
    return result;
  }
  // A change replaces the hive by a new file in the folder, so the folder is what must be
  // writable (AT_EACCESS: judged with the effective ids, as the writes will be).
  if (::faccessat(AT_FDCWD, folder_.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return ErrorCodeFromErrno(errno);
  }
  return win_error::kSuccess;
}

long Registry::CreateKey(RegistryRoot root, std::string_view keyPath) {
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  return ModifyHive(root, [&](Hive& hive, bool& changed) {
    EnsureKey(hive, *full, changed);
    return win_error::kSuccess;
  });
}

long Registry::ListValues(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values) const {
  std::string problem;
  return ReadKey(root, keyPath, values, problem);
}

long Registry::ReadKey(RegistryRoot root, std::string_view keyPath, std::vector<RegistryValue>& values,
                       std::string& problem) const {
  values.clear();
  problem.clear();
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  Hive hive;
  if (const long result = ReadHive(root, hive, &problem); result != win_error::kSuccess) {
    return result;
  }
  if (!KeyExists(hive, *full)) {
    return win_error::kFileNotFound;
  }
  if (const HiveKey* key = hive.FindKey(*full)) {
    values = key->values;
  }
  return win_error::kSuccess;
}

long Registry::QueryValue(RegistryRoot root, std::string_view keyPath, std::string_view name,
                          RegistryValue& value) const {
  std::vector<RegistryValue> values;
  if (const long result = ListValues(root, keyPath, values); result != win_error::kSuccess) {
    return result;
  }
  for (RegistryValue& candidate : values) {
    if (candidate.name == name) {
      value = std::move(candidate);
      return win_error::kSuccess;
    }
  }
  return win_error::kFileNotFound;
}

long Registry::SetValue(RegistryRoot root, std::string_view keyPath, const RegistryValue& value) {
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  return ModifyHive(root, [&](Hive& hive, bool& changed) {
    if (!KeyExists(hive, *full)) {
      return win_error::kFileNotFound;
    }
    PutValue(EnsureKey(hive, *full, changed), value, changed);
    return win_error::kSuccess;
  });
}

long Registry::SetValues(RegistryRoot root, std::string_view keyPath, std::span<const RegistryValue> values) {
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  return ModifyHive(root, [&](Hive& hive, bool& changed) {
    HiveKey& key = EnsureKey(hive, *full, changed);
    for (const RegistryValue& value : values) {
      PutValue(key, value, changed);
    }
    return win_error::kSuccess;
  });
}

long Registry::DeleteValue(RegistryRoot root, std::string_view keyPath, std::string_view name) {
  const std::optional<std::string> full = FullKeyPath(root, keyPath);
  if (!full) {
    return win_error::kBadArguments;
  }
  return ModifyHive(root, [&](Hive& hive, bool& changed) {
    if (!KeyExists(hive, *full)) {
      return win_error::kFileNotFound;
    }
    HiveKey* key = hive.FindKey(*full);
    if (key == nullptr) {
      return win_error::kFileNotFound;
    }
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
      if (it->name == name) {
        key->values.erase(it);
        changed = true;
        return win_error::kSuccess;
      }
    }
    return win_error::kFileNotFound;
  });
}

}  // namespace vellumor::platform
