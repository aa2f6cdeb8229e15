// The job's copy on Linux: after the head, the rest moves inside the kernel (copy_file_range when
// the job comes from a file, splice when it comes through a pipe, as from a printer port), with
// read and write as the fallback.

#include "platform/InputCopy.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "platform/RunJournal.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {
namespace {

// Large enough that a big job streams at the speed of the disk.
constexpr std::size_t kCopyChunk = 1 << 20;

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

enum class KernelCopy { Done, Failed, Unsupported, Cancelled };

// Whether the input has something to read; false once the job is cancelled, which may happen
// while the input is silent (a printer port that stalls) as well as while it flows.
bool InputReady(int input, const Cancellation* cancellation) {
  return cancellation == nullptr || cancellation->WaitReadable(input);
}

// Repeats one kind of kernel copy until the input ends. `ready` is asked before each step;
// `unsupported` tells from the first step's error that this kind of copy does not apply to these
// files (a retried interruption is no step).
template <typename Step, typename Ready>
KernelCopy RepeatCopy(Step step, Ready ready, bool (*unsupported)(int error)) {
  bool first = true;
  for (;;) {
    if (!ready()) {
      return KernelCopy::Cancelled;
    }
    const ssize_t moved = step();
    if (moved < 0 && first && unsupported(errno)) {
      return KernelCopy::Unsupported;
    }
    if (moved < 0 && errno == EINTR) {
      continue;
    }
    if (moved < 0) {
      return KernelCopy::Failed;
    }
    if (moved == 0) {
      return KernelCopy::Done;
    }
    first = false;
  }
}

// Moves the rest of the input to the output inside the kernel: copy_file_range between files,
// else splice from a pipe.
KernelCopy CopyInKernel(int input, int output, const Cancellation* cancellation) {
  // Steps small enough that a cancellation is noticed soon.
  constexpr std::size_t kStep = 1 << 26;
  const KernelCopy copied =
      RepeatCopy([&] { return ::copy_file_range(input, nullptr, output, nullptr, kStep, 0); },
                 [cancellation] { return cancellation == nullptr || !cancellation->Requested(); },
                 [](int error) {
                   return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
                 });
  if (copied != KernelCopy::Unsupported) {
    return copied;
  }
  return RepeatCopy([&] { return ::splice(input, nullptr, output, nullptr, 1 << 20, SPLICE_F_MOVE); },
                    [&] { return InputReady(input, cancellation); },
                    [](int error) { return error == EINVAL || error == ENOSYS; });
}

using Result = InputCopy::Result;

// Copies everything from `input` to `output`, keeping the first `headBytes` in `head`.
Result CopyAll(int input, int output, std::size_t headBytes, std::string& head, const Cancellation* cancellation) {
  std::vector<char> buffer(kCopyChunk);
  bool first = true;
  bool kernelTried = false;
  for (;;) {
    if (head.size() >= headBytes && !kernelTried) {
      kernelTried = true;
      const KernelCopy kernel = CopyInKernel(input, output, cancellation);
      if (kernel == KernelCopy::Cancelled) {
        return Result::Cancelled;
      }
      if (kernel != KernelCopy::Unsupported) {
        return kernel == KernelCopy::Done ? Result::Copied : Result::Failed;
      }
    }
    // Short reads while the head fills keep the head to exactly what the job's start holds.
    const std::size_t want = head.size() < headBytes ? headBytes - head.size() : buffer.size();
    if (!InputReady(input, cancellation)) {
      return Result::Cancelled;
    }
    const ssize_t got = ReadSome(input, buffer.data(), want);
    if (got < 0) {
      return first ? Result::NoData : Result::Failed;
    }
    if (got == 0) {
      return first ? Result::NoData : Result::Copied;
    }
    first = false;
    if (head.size() < headBytes) {
      head.append(buffer.data(), static_cast<std::size_t>(got));
    }
    if (file_io::WriteAll(output, {buffer.data(), static_cast<std::size_t>(got)}) != 0) {
      return Result::Failed;
    }
  }
}

}  // namespace

bool IsTerminal(int input) {
  return ::isatty(input) == 1;
}

InputCopy CopyInputToNewFile(int input, const std::filesystem::path& target, std::size_t headBytes,
                             const Cancellation* cancellation, RunJournal* journal) {
  // A new file of our own: whatever already stands at that name (a link planted to make the job
  // overwrite another file, or a job file someone prepared) is neither written through nor taken
  // as the job.
  if (journal != nullptr) {
    journal->WillCreate(target);
  }
  OwnedFile file{::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
  if (journal != nullptr) {
    file.Valid() ? journal->Created(target) : journal->NotCreated(target);
  }
  InputCopy copy;
  if (!file.Valid()) {
    copy.result = Result::NotCreated;
    return copy;
  }
  copy.result = CopyAll(input, file.Get(), headBytes, copy.head, cancellation);
  // A close that fails can mean data that never reached the disk.
  if (!file.Close() && copy.result == Result::Copied) {
    copy.result = Result::Failed;
  }
  return copy;
}

}  // namespace vellumor::platform
