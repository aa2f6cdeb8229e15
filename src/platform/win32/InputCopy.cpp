// The job's copy on Windows: read from standard input's own handle, so nothing of the C
// runtime's text mode (CR LF, the end-of-file byte 0x1A) touches it, and written to a file
// created new (CREATE_NEW never opens what is already there, a link included) in the user's own
// temporary folder, whose access the file takes.

#include "platform/InputCopy.h"

#include <io.h>

#include <vector>

#include "platform/win32/FileHandle.h"
#include "platform/win32/PortChannel.h"

namespace vellumor::platform {
namespace {

// Large enough that a big job streams at the speed of the disk.
constexpr DWORD kCopyChunk = 1 << 20;

HANDLE InputHandle(int input) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(input));
}

using Result = InputCopy::Result;

Result CopyAll(HANDLE input, HANDLE output, std::size_t headBytes, std::string& head, const Cancellation* cancellation,
               int descriptor) {
  std::vector<char> buffer(kCopyChunk);
  bool first = true;
  for (;;) {
    // A printer port that stalls leaves the input silent; a cancellation still ends the wait.
    if (cancellation != nullptr && !cancellation->WaitReadable(descriptor)) {
      return Result::Cancelled;
    }
    // Short reads while the head fills keep the head to exactly what the job's start holds.
    const DWORD want = head.size() < headBytes ? static_cast<DWORD>(headBytes - head.size()) : kCopyChunk;
    DWORD got = 0;
    if (!::ReadFile(input, buffer.data(), want, &got, nullptr)) {
      const DWORD error = ::GetLastError();
      // The writer closed its end of the pipe: that is the end of the job.
      if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) {
        return first ? Result::NoData : Result::Failed;
      }
      got = 0;
    }
    if (got == 0) {
      // The end of a pipe alone does not say the job is whole: the port also closes it when the
      // job was cancelled in the queue, and then not even an empty job may open the editor.
      if (PortJobCutShort()) {
        RecordPortJobCutShort();
        return Result::Cancelled;
      }
      return first ? Result::NoData : Result::Copied;
    }
    first = false;
    if (head.size() < headBytes) {
      head.append(buffer.data(), got);
    }
    if (!WriteAll(output, {buffer.data(), got})) {
      return Result::Failed;
    }
  }
}

}  // namespace

bool IsTerminal(int input) {
  // A console, not merely a character device: NUL is one too and simply holds no job.
  DWORD mode = 0;
  const HANDLE handle = InputHandle(input);
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

InputCopy CopyInputToNewFile(int input, const std::filesystem::path& target, std::size_t headBytes,
                             const Cancellation* cancellation) {
  InputCopy copy;
  FileHandle output{
      ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!output.Valid()) {
    copy.result = Result::NotCreated;
    return copy;
  }
  const HANDLE handle = InputHandle(input);
  copy.result = handle == INVALID_HANDLE_VALUE
                    ? Result::NoData
                    : CopyAll(handle, output.Get(), headBytes, copy.head, cancellation, input);
  if (!output.Close() && copy.result == Result::Copied) {
    copy.result = Result::Failed;
  }
  return copy;
}

}  // namespace vellumor::platform
