#pragma once
// Folders that hold what only their user may see or plant (the temporary folder with the print
// job, the session's runtime folder with the agent's socket), and a lock that says one process
// of the user already does a job.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

// "" when `folder` is a real folder (not a link) owned by this process's user and closed to
// group and others; else what is wrong, as the end of a sentence about the folder.
std::string PrivateFolderProblem(const std::filesystem::path& folder);

struct ExclusiveLock {
  OwnedFile file;     // held for as long as this lives
  bool taken{false};  // false: another process holds it (when `error` is empty)
  std::string error;
};

// Takes the lock on `file` (created mode 0600 when missing) without waiting.
ExclusiveLock TryExclusiveLock(const std::filesystem::path& file);

}  // namespace vellumor::platform
