// Files read and replaced whole on Windows: read through a handle that is checked to be a plain
// file on a disk, replaced by a complete file written beside it and moved over the name.

#include "platform/WholeFile.h"

#include <algorithm>
#include <cstdint>

#include "platform/FreshName.h"
#include "platform/Registry.h"
#include "platform/SystemEvents.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/FileIo.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

namespace {

using Status = WholeFileRead::Status;

WholeFileRead ReadFailure(DWORD error) {
  return {Status::Unreadable, {}, static_cast<long>(error), SystemErrorText(static_cast<long>(error))};
}

WholeFileWrite WriteFailure(DWORD error) {
  return {false, static_cast<long>(error), SystemErrorText(static_cast<long>(error))};
}

// A name beside `path` that nobody uses yet, created empty and open for writing.
FileHandle CreateBeside(const std::filesystem::path& path, std::filesystem::path& created) {
  FileHandle file;
  CreateUnderFreshName([&] {
    created = path;
    created += std::filesystem::path{std::string{kReplacementSuffix} + RandomNamePart()};
    file = FileHandle{
        ::CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.Valid()) {
      return NameTry::Created;
    }
    return ::GetLastError() == ERROR_FILE_EXISTS ? NameTry::Taken : NameTry::Failed;
  });
  return file;
}

}  // namespace

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes, FinalLink link) {
  const DWORD flags = link == FinalLink::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
  FileHandle file{::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, flags, nullptr)};
  if (!file.Valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {};
    }
    return ReadFailure(error);
  }
  // Devices, pipes and consoles are not files to read whole.
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    return RefusedRead("not a regular file");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.Get(), &info)) {
    return ReadFailure(::GetLastError());
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return RefusedRead("a symbolic link");
  }
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > maxBytes) {
    return RefusedRead(TooLargeReason(maxBytes));
  }
  WholeFileRead result{Status::Read, {}, 0, {}};
  result.contents.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  for (;;) {
    // One byte past the limit is asked for, so that a file growing while it is read is noticed.
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes + 1 - result.contents.size()));
    DWORD count = 0;
    if (!::ReadFile(file.Get(), buffer, wanted, &count, nullptr)) {
      return ReadFailure(::GetLastError());
    }
    if (count == 0) {
      return result;
    }
    result.contents.append(buffer, count);
    if (result.contents.size() > maxBytes) {
      return RefusedRead(TooLargeReason(maxBytes));
    }
  }
}

WholeFileWrite ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A link at the name is replaced itself, as on Linux; a folder never is.
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!link && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return WriteFailure(ERROR_ACCESS_DENIED);  // what the system answers for writing a folder
    }
    // A file its owner made read-only stays as it is, as an in-place write would have to.
    if (!link && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return WriteFailure(ERROR_ACCESS_DENIED);
    }
  } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    return WriteFailure(error);
  }

  std::filesystem::path tempPath;
  FileHandle temp = CreateBeside(path, tempPath);
  if (!temp.Valid()) {
    return WriteFailure(::GetLastError());
  }
  DWORD error = ERROR_SUCCESS;
  // Flushed before the move so that a machine crash leaves the old or the new file, never an
  // empty one.
  if (!file_io::WriteAll(temp.Get(), bytes) || !::FlushFileBuffers(temp.Get())) {
    error = ::GetLastError();
  }
  if (!temp.Close() && error == ERROR_SUCCESS) {
    error = ::GetLastError();
  }
  if (error == ERROR_SUCCESS &&
      !::MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    ::DeleteFileW(tempPath.c_str());
    return WriteFailure(error);
  }
  return {true, 0, {}};
}

}  // namespace vellumor::platform
