// Whole files on Windows: read only when they are plain files on a disk of sane size, and
// replaced by a complete new file moved over the name (MoveFileExW, written through), so that
// a failed write leaves the old file whole.

#include "platform/WholeFile.h"

#include <algorithm>

#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/SystemEvents.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/RandomName.h"

namespace vellumor::platform {
namespace {

using Status = WholeFileRead::Status;

WholeFileRead ReadFailure(DWORD error) {
  return {Status::Unreadable, {}, static_cast<long>(error), SystemErrorText(static_cast<long>(error))};
}

WholeFileRead Refusal(std::string reason) {
  return {Status::Refused, {}, win_error::kInvalidData, std::move(reason)};
}

WholeFileWrite WriteFailure(DWORD error) {
  return {false, static_cast<long>(error), SystemErrorText(static_cast<long>(error))};
}

std::string TooLarge(std::size_t maxBytes) {
  return "larger than " + std::to_string(maxBytes) + " bytes";
}

DWORD WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      return ::GetLastError();
    }
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

}  // namespace

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes, FinalLink link) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? WholeFileRead{} : ReadFailure(error);
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && link == FinalLink::Refuse) {
    return Refusal("a symbolic link");
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ReadFailure(ERROR_ACCESS_DENIED);
  }
  const FileHandle file{::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file.Valid()) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? WholeFileRead{} : ReadFailure(error);
  }
  // Pipes and devices are not files: reading them could wait for ever or never end.
  LARGE_INTEGER size{};
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.Get(), &size)) {
    return Refusal("not a regular file");
  }
  if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    return Refusal(TooLarge(maxBytes));
  }
  WholeFileRead result{Status::Read, {}, 0, {}};
  char buffer[65536];
  for (;;) {
    // One byte past the limit is asked for, so that a file growing while it is read is noticed.
    const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes + 1 - result.contents.size()));
    DWORD count = 0;
    if (!::ReadFile(file.Get(), buffer, wanted, &count, nullptr)) {
      return ReadFailure(::GetLastError());
    }
    if (count == 0) {
      return result;
    }
    result.contents.append(buffer, count);
    if (result.contents.size() > maxBytes) {
      return Refusal(TooLarge(maxBytes));
    }
  }
}

WholeFileWrite ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      return WriteFailure(ERROR_ACCESS_DENIED);
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
      return {false, win_error::kInvalidData, "not a regular file"};
    }
    // A file its owner made read-only stays as it is, as an in-place write would have to.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return WriteFailure(ERROR_ACCESS_DENIED);
    }
  } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    return WriteFailure(error);
  }

  std::filesystem::path temp;
  FileHandle file;
  for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    temp = PathFromUtf8(Utf8FromPath(path) + std::string{kReplacementSuffix} + RandomNamePart());
    file =
        FileHandle{::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) {
      return WriteFailure(::GetLastError());
    }
  }
  if (!file.Valid()) {
    return WriteFailure(ERROR_FILE_EXISTS);
  }
  DWORD error = WriteAll(file.Get(), bytes);
  // Flushed before the move so that a machine crash leaves the old or the new file, never an
  // empty one.
  if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.Get())) {
    error = ::GetLastError();
  }
  if (!file.Close() && error == ERROR_SUCCESS) {
    error = ::GetLastError();
  }
  // A link at the name is replaced itself, never written through.
  if (error == ERROR_SUCCESS &&
      !::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    ::DeleteFileW(temp.c_str());
    return WriteFailure(error);
  }
  return {true, 0, {}};
}

}  // namespace vellumor::platform
