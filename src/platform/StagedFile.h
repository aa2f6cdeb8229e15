#pragma once
// A new file written beside its final name and given that name only once it is complete, so
// that a reader or a crash never meets a half-written file there. It is created exclusively and
// private to the user (POSIX: mode 0600; Windows: it takes its folder's access), and reaches the
// disk before it takes the name. Replacing a file on POSIX renames over it and makes the folder
// entry durable right after; on Windows it replaces the old file with ReplaceFileW, which keeps
// what the user set on it (its access list and attributes).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SystemHandle.h"

namespace vellumor::platform {

class RunJournal;

class StagedFile final {
 public:
  // A new file "<folder>/.vellumor-<tag>-XXXXXX<extension>" (XXXXXX made unique; without the
  // tag part when `tag` is empty); nothing, with the system's reason in `error`, when none could
  // be created there. Each attempt is written down in `journal`, when given.
  static std::optional<StagedFile> Create(const std::filesystem::path& folder, std::string_view tag,
                                          std::string_view extension, std::string& error,
                                          RunJournal* journal = nullptr);
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  // Removes the file unless it was published.
  ~StagedFile();

  const std::filesystem::path& Path() const { return path_; }

  // Writes what the file holds to the disk.
  bool Sync();
  // Gives the file its final permission bits and, where this user may, its owner and group
  // (POSIX; on Windows the file's access comes from its folder, or from the file it replaces).
  void SetOwnership(unsigned mode, std::optional<unsigned> owner, std::optional<unsigned> group);

  enum class Publish { Done, NameTaken, Failed };
  // Renames the file to `target`: replacing what has that name, or only when the name is free.
  Publish PublishAs(const std::filesystem::path& target, bool replace, std::string& error);
  // Removes the file.
  void Discard();

 private:
  StagedFile(std::filesystem::path path, SystemHandle file) : path_{std::move(path)}, file_{std::move(file)} {}
  std::filesystem::path path_;
  SystemHandle file_;
  bool present_{true};  // the file is still at path_: not yet published, discarded or moved away
};

// The permission bits a new file gets under this process's file creation mask (0666 & ~umask);
// 0666 on Windows, where new files take their access from their folder.
unsigned NewFileMode();

}  // namespace vellumor::platform
