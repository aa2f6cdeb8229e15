#pragma once
// Reading and replacing one hive file of the emulated registry. Readers see either the previous
// or the next complete file, never a mix, because a hive is only ever replaced whole by a
// rename; writers serialise on an exclusive lock of "<hive>.lock", so each change starts from
// the file the previous writer published.

#include <filesystem>
#include <functional>

#include "platform/HiveFile.h"

namespace vellumor::platform {

class HiveStore final {
 public:
  explicit HiveStore(std::filesystem::path hivePath) : hivePath_{std::move(hivePath)} {}

  // The stored hive. A missing file is an empty hive; so is a file that cannot be parsed.
  long Read(Hive& hive) const;

  // Reads the hive under the exclusive lock, lets `change` edit it and, when it succeeded and
  // reports a change, publishes the result. Creates the folder (0700) when missing. A hive that
  // could not be parsed is kept as "<hive>.bad" before it is first replaced.
  using Change = std::function<long(Hive& hive, bool& changed)>;
  long Modify(const Change& change) const;

 private:
  long ReadFile(Hive& hive, bool& damaged) const;
  long KeepDamagedFile() const;
  long Publish(const Hive& hive) const;
  void RemoveLeftovers() const;

  std::filesystem::path hivePath_;
};

}  // namespace vellumor::platform
