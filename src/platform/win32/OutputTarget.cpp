// The file at a job's output name, on Windows. Jobs take turns through a named mutex of the
// user's session, one per output path: unlike a lock on the file itself it leaves the file free
// for the engine to read and for the finished PDF to replace, and the system releases it when a
// job dies. The file is looked at without following a link, and opened once for writing to learn
// whether it may be replaced (a viewer that holds it open without sharing it is told apart).

#include "platform/OutputTarget.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/SystemEvents.h"
#include "platform/Text.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {
namespace {

// How often a wait for another job's turn looks for a cancellation.
constexpr DWORD kLockPollMs = 100;

// The mutex's name: the full path, letter case folded as the file system folds it, hashed
// (FNV-1a) so that any path fits a name. Two paths sharing a hash merely take turns.
std::wstring MutexName(const std::filesystem::path& path) {
  std::wstring full(32768, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  full.resize(length > 0 && length < full.size() ? length : 0);
  if (full.empty()) {
    full = path.wstring();
  }
  ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  const std::uint64_t hash = Fnv1a(std::wstring_view{full});
  wchar_t name[64];
  ::wsprintfW(name, L"Local\\Vellumor-output-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
              static_cast<unsigned long>(hash & 0xFFFFFFFFULL));
  return name;
}

// Waits for this job's turn; false when a cancellation came first or the wait failed.
bool TakeTurn(HANDLE mutex, const Cancellation* cancellation, bool& cancelled) {
  for (;;) {
    if (cancellation != nullptr && cancellation->Requested()) {
      cancelled = true;
      return false;
    }
    // An abandoned mutex is a job that died: its turn is over.
    const DWORD waited = ::WaitForSingleObject(mutex, kLockPollMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      return true;
    }
    if (waited != WAIT_TIMEOUT) {
      return false;
    }
  }
}

}  // namespace

// The file's identity and last change, as the system keeps them for an open file.
std::optional<OutputTarget::Version> OutputTarget::VersionOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) {
    return std::nullopt;
  }
  Version version;
  version.device = info.dwVolumeSerialNumber;
  version.inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  version.size =
      static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  version.modifiedSeconds =
      static_cast<long long>((static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                             info.ftLastWriteTime.dwLowDateTime);
  return version;
}

OutputTarget OutputTarget::Open(const std::filesystem::path& path, const Cancellation* cancellation) {
  FileHandle mutex{::CreateMutexW(nullptr, FALSE, MutexName(path).c_str())};
  bool cancelled = false;
  if (!mutex.Valid() || !TakeTurn(mutex.Get(), cancellation, cancelled)) {
    OutputTarget target{cancelled ? State::Cancelled : State::Unusable};
    target.error_ = SystemErrorText(static_cast<long>(::GetLastError()));
    return target;
  }
  // From here this object holds the turn; every early return releases it.
  OutputTarget target{State::Locked};
  target.fd_ = HandleToLong(mutex.Release());
  target.path_ = path;
  const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
  const auto fail = [&target](State state, std::string error) {
    target.Release();
    target.state_ = state;
    target.error_ = std::move(error);
    return std::move(target);
  };
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      target.state_ = State::Missing;  // the turn is kept: this job creates the file
      return target;
    }
    return fail(State::Unusable, SystemErrorText(static_cast<long>(error)));
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    target.state_ = State::SymbolicLink;
    return target;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return fail(State::Unusable, "not a regular file");
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return fail(State::Protected, "");
  }
  FileHandle file{::CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  if (!file.Valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
      target.state_ = State::Missing;
      return target;
    }
    return fail(error == ERROR_ACCESS_DENIED ? State::Protected : State::Unusable,
                SystemErrorText(static_cast<long>(error)));
  }
  const std::optional<Version> version = VersionOf(file.Get());
  if (!version) {
    return fail(State::Unusable, SystemErrorText(static_cast<long>(::GetLastError())));
  }
  target.version_ = *version;
  return target;
}

void OutputTarget::Release() {
  if (fd_ != -1) {
    const HANDLE mutex = LongToHandle(std::exchange(fd_, -1));
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
  }
}

// Another user who may write the folder can still replace the file; its identity and last change
// tell.
bool OutputTarget::Unchanged() const {
  if (fd_ == -1 || state_ != State::Locked) {
    return false;
  }
  const FileHandle file{::CreateFileW(LongPath(path_).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  const std::optional<Version> now = file.Valid() ? VersionOf(file.Get()) : std::nullopt;
  return now && *now == version_;
}

// Jobs only touch the file in their turn, so its name leads to the file this job looked at.
std::filesystem::path OutputTarget::ReadablePath() const {
  return path_;
}

}  // namespace vellumor::platform
