// Removing what killed runs left: shared by the systems, which differ only in how a journal is
// held and how files are removed (JournalFiles.h).

#include <string>
#include <vector>

#include "platform/JournalFiles.h"
#include "platform/JournalFormat.h"
#include "platform/PathText.h"
#include "platform/RunJournal.h"
#include "platform/WritingTurn.h"

namespace vellumor::platform {
namespace {

namespace fs = std::filesystem;

struct Journal {
  std::string name;
  std::string tag;
  std::vector<journal::Record> records;
  std::unique_ptr<journal::OpenJournal> held;  // dead journals stay held while they are repaired
};

// A temporary file whose creation was announced but whose name never followed.
bool HasPendingCreation(const Journal& journal) {
  bool pending = false;
  for (const journal::Record& record : journal.records) {
    if (record.kind == journal::kPending) {
      pending = true;
    } else if (record.kind == journal::kTemporary || record.kind == journal::kNoTemporary) {
      pending = false;
    }
  }
  return pending;
}

// Names in the temporary folder that belong to the journal's run.
bool BelongsTo(const Journal& journal, const std::string& name) {
  if (name.starts_with(std::string{journal::kPrefix} + journal.tag + ".")) {
    return true;
  }
  for (const journal::Record& record : journal.records) {
    if (record.kind == journal::kTemporary) {
      const std::string file = Utf8FromPath(PathFromUtf8(record.value).filename());
      if (name == file || name.starts_with(file + ".")) {
        return true;
      }
    }
  }
  return false;
}

void RemoveStagedFiles(const fs::path& folder, const std::string& tag) {
  const std::string prefix = std::string{journal::kStagedPrefix} + tag + "-";
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (Utf8FromPath(entry.path().filename()).starts_with(prefix)) {
      journal::RemoveOwnFile(entry.path());
    }
  }
}

// Looks at every journal: a live one is only read, a dead one is kept locked for its repair.
std::vector<Journal> ReadJournals(const fs::path& tempFolder, const std::vector<std::string>& names) {
  std::vector<Journal> journals;
  for (const std::string& name : names) {
    if (!name.starts_with(journal::kPrefix) || !name.ends_with(journal::kJournalExtension)) {
      continue;
    }
    std::unique_ptr<journal::OpenJournal> open = journal::OpenJournalFile(tempFolder / PathFromUtf8(name));
    if (!open) {
      continue;
    }
    Journal journal;
    journal.name = name;
    journal.tag =
        name.substr(journal::kPrefix.size(), name.size() - journal::kPrefix.size() - journal::kJournalExtension.size());
    journal.records = journal::ParseRecords(open->ReadAll());
    if (open->Held()) {
      journal.held = std::move(open);
    }
    journals.push_back(std::move(journal));
  }
  return journals;
}

}  // namespace

void RepairDeadRuns(const fs::path& tempFolder) {
  RemoveAbandonedTurns(tempFolder);
  // The folder is listed before any journal is read: a run that starts later creates its files
  // after this list was made, and a run already listed announced each file in its journal
  // before creating it.
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(tempFolder, error)) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  std::vector<Journal> journals = ReadJournals(tempFolder, names);

  // A living run between creating a temporary file and writing its name down owns a file no
  // journal names yet; until it has written the name, nothing is told apart safely.
  for (const Journal& journal : journals) {
    if (!journal.held && HasPendingCreation(journal)) {
      return;
    }
  }
  for (Journal& dead : journals) {
    if (!dead.held) {
      continue;
    }
    for (const journal::Record& record : dead.records) {
      if (record.kind == journal::kFolder) {
        RemoveStagedFiles(PathFromUtf8(record.value), dead.tag);
      }
    }
    // A run killed between creating a temporary file and writing its name down left a file no
    // journal names: with no living run at that step, every such file is a dead run's.
    const bool sweep = HasPendingCreation(dead);
    for (const std::string& name : names) {
      if (!name.starts_with(journal::kPrefix) || name.ends_with(journal::kJournalExtension)) {
        continue;
      }
      // A name the dead run used and gave up may belong to a living run now.
      bool ownedByOther = false;
      for (const Journal& other : journals) {
        ownedByOther = ownedByOther || (&other != &dead && BelongsTo(other, name));
      }
      if (!ownedByOther && (sweep || BelongsTo(dead, name))) {
        journal::RemoveEntry(tempFolder / PathFromUtf8(name));
      }
    }
    dead.held->Remove();
    dead.held.reset();
  }
}

}  // namespace vellumor::platform
