#pragma once
// How the repair of dead runs reaches journals and the files they name; one realisation per
// system. A journal's run lives for as long as it holds its journal: the repair takes hold of a
// journal only when its run is gone.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileIdentity.h"

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

// What stands at a name a journal gives.
struct Entry {
  FileIdentity identity;
  bool folder{false};  // else a plain file
  bool empty{false};   // a file of no bytes, or a folder with nothing in it
};
// The entry at `path` itself when it is a plain file or a folder of this user; nothing for a link
// (never followed), anything else, or nothing there.
std::optional<Entry> LookAt(const std::filesystem::path& path);

// Removes the plain file `path`.
void RemoveFile(const std::filesystem::path& path);
// Removes the plain files directly in the folder `path`, then the folder when that left it empty;
// a folder or link inside, and whatever a link leads to, stay.
void RemoveFolder(const std::filesystem::path& path);

}  // namespace vellumor::platform::journal
