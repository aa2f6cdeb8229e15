#pragma once
// Reading and replacing one hive file of the emulated registry. Readers see either the previous
// or the next complete file, never a mix, because a hive is only ever replaced whole by a
// rename; writers serialise on an exclusive lock of "<hive>.lock", so each change starts from
// the file the previous writer published.

#include <filesystem>
#include <functional>
#include <string>

#include "platform/posix/HiveFile.h"

namespace vellumor::platform {

// What one read of the hive file found beside the hive itself.
struct HiveReadNotes {
  HiveDamage damage;    // lines left out because they could not be read
  std::string problem;  // when the read failed: why the file could not be read at all
};

class HiveStore final {
 public:
  explicit HiveStore(std::filesystem::path hivePath) : hivePath_{std::move(hivePath)} {}

  // The stored hive. A missing file is an empty hive. A file that cannot be read at all (no
  // rights, not a regular file, far too large) is a failure, never taken for an empty hive.
  long Read(Hive& hive, HiveReadNotes& notes) const;

  // Reads the hive under the exclusive lock, lets `change` edit it and, when it succeeded and
  // reports a change, publishes the result. Creates the folder (0700) when missing. A hive with
  // damaged lines is kept as "<hive>.bad" before it is first replaced; one that cannot be read
  // is never replaced.
  using Change = std::function<long(Hive& hive, bool& changed)>;
  long Modify(const Change& change, HiveReadNotes& notes) const;

 private:
  long KeepDamagedFile() const;
  long Publish(const Hive& hive) const;
  void RemoveLeftovers() const;

  std::filesystem::path hivePath_;
};

}  // namespace vellumor::platform
