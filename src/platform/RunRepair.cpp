// Removing what killed runs left: shared by the systems, which differ only in how a journal is
// held and how files are looked at and removed (JournalFiles.h).

#include <map>
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
  std::vector<journal::Record> records;
  std::unique_ptr<journal::OpenJournal> held;  // dead journals stay held while they are repaired
};

// What a journal's run made, by path: the identity it wrote down, or none when the run was
// killed between announcing the path and writing down what came of it.
std::map<std::string, std::optional<FileIdentity>> WhatItMade(const Journal& journal) {
  std::map<std::string, std::optional<FileIdentity>> made;
  for (const journal::Record& record : journal.records) {
    if (record.kind == journal::kWillCreate) {
      made[record.value] = std::nullopt;
    } else if (record.kind == journal::kCreated) {
      if (const auto created = journal::ParseCreated(record.value)) {
        made[created->second] = created->first;
      }
    } else if (record.kind == journal::kNotCreated) {
      if (const auto found = made.find(record.value); found != made.end() && !found->second) {
        made.erase(found);
      }
    }
  }
  return made;
}

bool Names(const Journal& journal, const std::string& path) {
  for (const journal::Record& record : journal.records) {
    const bool named = record.kind == journal::kCreated
                           ? journal::ParseCreated(record.value) && journal::ParseCreated(record.value)->second == path
                           : record.kind != journal::kSignature && record.value == path;
    if (named) {
      return true;
    }
  }
  return false;
}

// Looks at the journals (only names a run gives its journal): a living one is only read, a dead
// one is kept held for its repair. A file that is not a journal of this format is left alone.
std::vector<Journal> ReadJournals(const fs::path& tempFolder) {
  std::vector<Journal> journals;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(tempFolder, error)) {
    if (!journal::TagOfJournalName(Utf8FromPath(entry.path().filename()))) {
      continue;
    }
    std::unique_ptr<journal::OpenJournal> open = journal::OpenJournalFile(entry.path());
    if (!open) {
      continue;
    }
    Journal journal;
    const std::string text = open->ReadAll();
    journal.records = journal::ParseRecords(text);
    // An empty one belongs to a run killed as it started, before the first record.
    const bool isJournal = !journal.records.empty() && journal.records.front().kind == journal::kSignature &&
                           journal.records.front().value == journal::kSignatureText;
    if (!isJournal && !text.empty()) {
      continue;
    }
    if (open->Held()) {
      journal.held = std::move(open);
    }
    journals.push_back(std::move(journal));
  }
  return journals;
}

}  // namespace

bool RepairDeadRuns(const fs::path& tempFolder) {
  RemoveAbandonedTurns(tempFolder);
  std::vector<Journal> journals = ReadJournals(tempFolder);
  const std::optional<FileIdentity> folderItself = EntryIdentityOf(tempFolder);
  bool folderOfDeadRun = false;
  for (Journal& dead : journals) {
    if (!dead.held) {
      continue;
    }
    for (const auto& [name, identity] : WhatItMade(dead)) {
      if (identity && identity == folderItself) {
        folderOfDeadRun = true;  // removed by whoever repairs the folders beside it
        continue;
      }
      // A name the dead run used and gave up may be a living run's now.
      bool living = false;
      for (const Journal& other : journals) {
        living = living || (!other.held && Names(other, name));
      }
      const fs::path path = PathFromUtf8(name);
      const std::optional<journal::Entry> entry = living ? std::nullopt : journal::LookAt(path);
      // The identity written down, or else what the killed run had made of it so far: nothing.
      if (!entry || (identity ? entry->identity != *identity : !entry->empty)) {
        continue;
      }
      if (entry->folder) {
        journal::RemoveFolder(path);
      } else {
        journal::RemoveFile(path);
      }
    }
    dead.held->Remove();
    dead.held.reset();
  }
  return folderOfDeadRun;
}

}  // namespace vellumor::platform
