#pragma once
// What one run of the program creates, written down before or as it is created, so that the
// next run can remove what a run killed outright (SIGKILL, a crash, power loss) left behind.
// The journal is a file "vlm<tag>.run" in the private temporary folder, locked for as long as
// its run lives: a journal whose lock is free belongs to a run that no longer exists.

#include <filesystem>
#include <memory>
#include <string>

namespace vellumor::platform {

class RunJournal final {
 public:
  // A new journal in `tempFolder`; nothing when it cannot be created (the run goes on without).
  static std::unique_ptr<RunJournal> Start(const std::filesystem::path& tempFolder);
  // The run ended and removed its files: the journal goes too.
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // Unique to this run while it lives; part of the names of the files it creates elsewhere.
  const std::string& Tag() const { return tag_; }
  // A folder "vlm<tag>.<suffix>" in the temporary folder that belongs to this run alone.
  std::filesystem::path OwnFolder(std::string_view suffix) const;

  // Before a file is created in the temporary folder under a name not yet known.
  void WillCreateTemporary();
  // The temporary file `path` (and every "<path>.*" beside it) is this run's.
  void CreatedTemporary(const std::filesystem::path& path);
  // The announced temporary file was not made (or was removed at once): until this is written
  // down, other runs cannot tell which of the files nobody names is this run's.
  void CreatedNoTemporary();
  // Files ".vellumor-<tag>-*" may be created in `folder` from now on; on the disk before this
  // returns, as such a file may outlive the run in the user's folder.
  void WillCreateIn(const std::filesystem::path& folder);

 private:
  RunJournal(std::filesystem::path folder, std::filesystem::path path, std::string tag, int fd)
      : folder_{std::move(folder)}, path_{std::move(path)}, tag_{std::move(tag)}, fd_{fd} {}
  void Append(char kind, std::string_view value, bool durable);

  std::filesystem::path folder_;
  std::filesystem::path path_;
  std::string tag_;
  int fd_;
  bool folderSynced_{false};
};

// Removes what the runs of dead journals in `tempFolder` left behind: their temporary files,
// the partial outputs they were writing, the locks of their turns, and then the journals.
void RepairDeadRuns(const std::filesystem::path& tempFolder);
// Removes, with what they hold and what their journals name, the folders
// "<defaultFolder>-XXXXXX" that runs made for themselves (TempFolder::Open) and died in: folders
// of this user, not links, whose run is gone.
void RepairDeadRunFolders(const std::filesystem::path& defaultFolder);

}  // namespace vellumor::platform
