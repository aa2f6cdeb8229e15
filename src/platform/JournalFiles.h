#pragma once
// How the repair of dead runs reaches journals and the files they name; one realisation per
// system. A journal's run lives for as long as it holds its journal: the repair takes hold of a
// journal only when its run is gone.

#include <filesystem>
#include <memory>
#include <string>

namespace vellumor::platform::journal {

class OpenJournal {
 public:
  virtual ~OpenJournal() = default;
  // True when this process holds the journal alone: its run is gone. The hold ends with the
  // object.
  virtual bool Held() const = 0;
  virtual std::string ReadAll() = 0;
  // Removes the held journal.
  virtual void Remove() = 0;
};

// The journal at `path` (never through a link), held when its run is gone; nothing when it
// cannot be opened or its name no longer leads to it.
std::unique_ptr<OpenJournal> OpenJournalFile(const std::filesystem::path& path);

// Removes `path` when it is a regular file of this user, as a staged file a dead run left is.
void RemoveOwnFile(const std::filesystem::path& path);

// Removes what `path` names: a folder with everything in it, a link itself, or a file.
void RemoveEntry(const std::filesystem::path& path);

}  // namespace vellumor::platform::journal
