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

bool FolderEmpty(const std::filesystem::path& path) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((path / L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool empty = true;
  do {
    const std::wstring_view name{found.cFileName};
    if (name != L"." && name != L"..") {
      empty = false;
    }
  } while (empty && ::FindNextFileW(search, &found));
  ::FindClose(search);
  return empty;
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

// The folders a run creates in are the user's own; what is in them is the user's.
std::optional<Entry> LookAt(const std::filesystem::path& path) {
  FileHandle entry{::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  BY_HANDLE_FILE_INFORMATION information{};
  if (!entry.Valid() || !::GetFileInformationByHandle(entry.Get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return std::nullopt;
  }
  const bool folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return Entry{{information.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow},
               folder,
               folder ? FolderEmpty(path) : information.nFileSizeHigh == 0 && information.nFileSizeLow == 0};
}

void RemoveFile(const std::filesystem::path& path) {
  if (IsPlainFile(::GetFileAttributesW(path.c_str()))) {
    ::DeleteFileW(path.c_str());
  }
}

void RemoveFolder(const std::filesystem::path& path) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((path / L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (IsPlainFile(found.dwFileAttributes)) {
        ::DeleteFileW((path / found.cFileName).c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace vellumor::platform::journal
