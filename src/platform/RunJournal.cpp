// What a run writes into its journal, the same on every system; how a journal is created, held
// and written is the system's (posix/, win32/).

#include "platform/RunJournal.h"

#include "platform/FileIdentity.h"
#include "platform/JournalFormat.h"
#include "platform/PathText.h"

namespace vellumor::platform {

std::filesystem::path RunJournal::OwnFolder(std::string_view suffix) const {
  return folder_ / PathFromUtf8(std::string{journal::kPrefix} + tag_ + "." + std::string{suffix});
}

void RunJournal::WillCreate(const std::filesystem::path& path) {
  Append(journal::kWillCreate, Utf8FromPath(path), path);
}

void RunJournal::Created(const std::filesystem::path& path) {
  // What cannot be known again later is never taken for this run's.
  if (const std::optional<FileIdentity> identity = EntryIdentityOf(path)) {
    Append(journal::kCreated, journal::CreatedValue(*identity, Utf8FromPath(path)), path);
  } else {
    NotCreated(path);
  }
}

void RunJournal::NotCreated(const std::filesystem::path& path) {
  Append(journal::kNotCreated, Utf8FromPath(path), path);
}

void RunJournal::Append(char kind, std::string_view value, const std::filesystem::path& about) {
  std::string record(1, kind);
  record += value;
  record += '\0';
  Write(record, about.parent_path() != folder_);
}

}  // namespace vellumor::platform
