#pragma once
// Which file a path leads to, independent of the name it is reached by: the device and the
// file's number on it (POSIX: st_dev and st_ino; Windows: the volume's serial number and the
// file index). Print-files mode hands the identity of each printed file to its job, so
// that the job's PDF is never saved over the document being printed, whatever name it takes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vellumor::platform {

struct FileIdentity {
  std::uint64_t device{0};
  std::uint64_t file{0};

  bool operator==(const FileIdentity&) const = default;

  // "<device>:<file>" in decimal, the form that travels in job options and on the command line.
  std::string Text() const;
  // The identity in that form; nothing for any other text.
  static std::optional<FileIdentity> Parse(std::string_view text);
};

// The identity of the file `path` leads to (symbolic links followed); nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
// The identity of the entry at `path` itself: a link's own, never what it leads to.
std::optional<FileIdentity> EntryIdentityOf(const std::filesystem::path& path);

}  // namespace vellumor::platform
