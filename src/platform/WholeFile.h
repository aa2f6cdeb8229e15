#pragma once
// Files this program reads and writes whole: registry hives and setup files. They are read only
// when they are regular files of sane size, so that a link to a device, a FIFO or a runaway file
// can neither hang the program nor exhaust it; and they are replaced only by a complete new file
// renamed over the old one, so that a failed write leaves the old file whole.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vellumor::platform {

// What to do when the file's own name is a symbolic link.
enum class FinalLink {
  Follow,  // read the file it points to
  Refuse,  // a link there was planted or is a mistake: read nothing
};

struct WholeFileRead {
  enum class Status {
    Read,        // `contents` holds the file
    Missing,     // no file of that name
    Unreadable,  // the system refused (no rights, a folder, an input/output error)
    Refused,     // not a regular file, a refused link, or larger than allowed
  };
  Status status{Status::Missing};
  std::string contents;
  long code{0};        // Unreadable and Refused: a Windows-numbered result code (see Registry.h)
  std::string reason;  // Unreadable and Refused: why, in words, e.g. "Permission denied"
};

// Reads the file at `path` when it is a regular file of at most `maxBytes` bytes. Opening never
// waits (a FIFO is refused, not waited on) and nothing beyond `maxBytes` is read.
WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes, FinalLink link);

// For the realisations of ReadWholeFile: a refused read and its reason.
WholeFileRead RefusedRead(std::string reason);
// "larger than 4 MB", "larger than 100 bytes".
std::string TooLargeReason(std::size_t maxBytes);

// Temporary files that replace a file are named "<file><kReplacementSuffix>XXXXXX" beside it.
inline constexpr std::string_view kReplacementSuffix = ".new-";

struct WholeFileWrite {
  bool written{false};
  long code{0};        // when not written: a Windows-numbered result code
  std::string reason;  // when not written: why, in words, e.g. "No space left on device"
};

// Replaces the file at `path` by one holding `bytes`: written beside it, flushed to the disk and
// renamed over the name, so that readers and a crash see the old file or the new one, never a
// part. The new file is private (POSIX: 0600, or an existing file's mode when that is stricter;
// Windows: the access of its folder). Refused: a name that holds a folder, device or FIFO, and an
// existing file this process may not write (its owner protected it: no write permission on POSIX,
// read-only on Windows). A symbolic link at the name is replaced itself, never written through.
WholeFileWrite ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vellumor::platform
