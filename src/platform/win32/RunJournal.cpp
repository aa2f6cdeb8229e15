// The run journal on Windows: created new, written by appending, and kept open with others
// allowed only to read it, which is how the repair tells a living run's journal from a dead one's.

#include "platform/RunJournal.h"

#include "platform/JournalFormat.h"
#include "platform/PathText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

std::unique_ptr<RunJournal> RunJournal::Start(const std::filesystem::path& tempFolder) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string tag = journal::NewTag();
    std::filesystem::path path =
        tempFolder / PathFromUtf8(std::string{journal::kPrefix} + tag + std::string{journal::kJournalExtension});
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      std::unique_ptr<RunJournal> journal{new RunJournal{tempFolder, std::move(path), tag, HandleToLong(file)}};
      journal->Write(std::string(1, journal::kSignature) + std::string{journal::kSignatureText} + '\0', false);
      return journal;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) {
      return nullptr;
    }
  }
  return nullptr;
}

RunJournal::~RunJournal() {
  ::CloseHandle(LongToHandle(fd_));
  ::DeleteFileW(path_.c_str());
}

// Each user's temporary folder is their own on Windows: no run makes a folder of its own beside
// it (TempFolder::Open), so there are none left by killed runs.
void RepairDeadRunFolders(const std::filesystem::path& /*defaultFolder*/) {}

// A folder's entries reach the disk with the files' own metadata on Windows; flushing the
// journal is all there is to do.
void RunJournal::Write(std::string_view record, bool durable) {
  // One write per record: a run killed halfway leaves at most one cut-off record at the end.
  DWORD written = 0;
  const HANDLE file = LongToHandle(fd_);
  ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  if (durable) {
    ::FlushFileBuffers(file);
  }
}

}  // namespace vellumor::platform
