#pragma once
// The permission bits of what sits at a name, for tests that check who may read or change a file.

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace vellumor::test {

// The permission, set-id and sticky bits of `path` itself (a symbolic link is not followed);
// 0, and a test failure, when nothing is there.
inline unsigned ModeOf(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
  EXPECT_FALSE(error) << path << ": " << error.message();
  if (error) {
    return 0;
  }
  return static_cast<unsigned>(status.permissions() & std::filesystem::perms::mask);
}

}  // namespace vellumor::test
