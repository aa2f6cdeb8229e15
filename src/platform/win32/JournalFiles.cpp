// Journals on Windows are held by their share mode: a run keeps its journal open and lets others
// only read it, so opening it alone succeeds only once the run is gone and the system has closed
// its handle.

#include "platform/JournalFiles.h"

#include "platform/win32/FileHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform::journal {
namespace {

class WindowsJournal final : public OpenJournal {
 public:
  WindowsJournal(FileHandle file, bool held) : file_{std::move(file)}, held_{held} {}

  bool Held() const override { return held_; }
  std::string ReadAll() override {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file_.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
      text.append(buffer, got);
    }
    return text;
  }
  void Remove() override {
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
  }

 private:
  FileHandle file_;
  bool held_;
};

// A plain file, not a folder or link.
bool IsPlainFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

std::unique_ptr<OpenJournal> OpenJournalFile(const std::filesystem::path& path) {
  if (!IsPlainFile(::GetFileAttributesW(path.c_str()))) {
    return nullptr;
  }
  FileHandle alone{::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  if (alone.Valid()) {
    return std::make_unique<WindowsJournal>(std::move(alone), true);
  }
  FileHandle shared{::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  if (!shared.Valid()) {
    return nullptr;
  }
  return std::make_unique<WindowsJournal>(std::move(shared), false);
}

// The folders a run writes staged files to are the user's own; their files are this user's.
void RemoveOwnFile(const std::filesystem::path& path) {
  if (IsPlainFile(::GetFileAttributesW(path.c_str()))) {
    ::DeleteFileW(path.c_str());
  }
}

void RemoveEntry(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // The link itself, never what it leads to.
    (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str());
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  } else {
    ::DeleteFileW(path.c_str());
  }
}

}  // namespace vellumor::platform::journal
