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

  // Before this run tries to create `path` (a file or a folder), which it does exclusively.
  void WillCreate(const std::filesystem::path& path);
  // This run created `path` (the entry itself, never what a link there leads to): its identity is
  // written down, by which the next run knows it for this run's.
  void Created(const std::filesystem::path& path);
  // The announced `path` was not created (the name was taken, or the creation failed).
  void NotCreated(const std::filesystem::path& path);

 private:
  RunJournal(std::filesystem::path folder, std::filesystem::path path, std::string tag, int fd)
      : folder_{std::move(folder)}, path_{std::move(path)}, tag_{std::move(tag)}, fd_{fd} {}
  // Records about files outside the temporary folder (the user's folders) reach the disk before
  // anything is created there: such a file outlives a power loss, and a later run must find it.
  void Append(char kind, std::string_view value, const std::filesystem::path& about);
  void Write(std::string_view record, bool durable);

  std::filesystem::path folder_;
  std::filesystem::path path_;
  std::string tag_;
  int fd_;
  bool folderSynced_{false};
};

// Removes what the runs of dead journals in `tempFolder` left behind: the files and folders a
// journal names with an identity that is still found there (a folder with the files directly in
// it, which its run's engine made), an empty file or folder a run was killed creating, the
// abandoned locks of turns, and then the journals. Nothing else, whatever its name. True when a
// dead run made `tempFolder` itself.
bool RepairDeadRuns(const std::filesystem::path& tempFolder);
// Repairs the folders "<defaultFolder>-XXXXXX" that runs made for themselves (TempFolder::Open)
// and died in: folders of this user, not links, that no living run holds. Such a folder goes
// when a dead run's journal in it names it and it is empty once the dead runs are repaired.
void RepairDeadRunFolders(const std::filesystem::path& defaultFolder);

}  // namespace vellumor::platform
