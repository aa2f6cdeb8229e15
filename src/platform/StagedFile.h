#pragma once
// A new file written beside its final name and given that name only once it is complete, so
// that a reader or a crash never meets a half-written file there. It is created exclusively
// and private to the user; it reaches the disk before it takes the name, and the folder entry
// right after.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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
  // Gives the file its final permission bits and, where this user may, its owner and group.
  void SetOwnership(unsigned mode, std::optional<unsigned> owner, std::optional<unsigned> group);

  enum class Publish { Done, NameTaken, Failed };
  // Renames the file to `target`: replacing what has that name, or only when the name is free.
  Publish PublishAs(const std::filesystem::path& target, bool replace, std::string& error);
  // Removes the file.
  void Discard();

 private:
  StagedFile(std::filesystem::path path, int fd) : path_{std::move(path)}, fd_{fd} {}
  std::filesystem::path path_;
  int fd_;
  bool present_{true};
};

// The permission bits a new file gets under this process's file creation mask (0666 & ~umask).
unsigned NewFileMode();

}  // namespace vellumor::platform
