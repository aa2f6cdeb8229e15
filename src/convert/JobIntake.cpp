#include "convert/JobIntake.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "convert/EngineEnvironment.h"
#include "convert/FileNames.h"
#include "convert/OutputNaming.h"

namespace vellumor::convert {
namespace {

// Large enough that a big job streams at the speed of the disk.
constexpr std::size_t kCopyChunk = 1 << 20;

class FileDescriptor final {
 public:
  explicit FileDescriptor(int fd) : fd_{fd} {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

enum class CopyResult { Copied, NoData, Failed, Cancelled };
enum class KernelCopy { Done, Failed, Unsupported, Cancelled };

// Whether the input has something to read; false once the job is cancelled, which may happen
// while the input is silent (a printer port that stalls) as well as while it flows.
bool InputReady(int input, const platform::Cancellation* cancellation) {
  return cancellation == nullptr || cancellation->WaitReadable(input);
}

// Moves the rest of the input to the output inside the kernel: copy_file_range when the job comes
// from a file, splice when it comes through a pipe, as from a printer port.
KernelCopy CopyInKernel(int input, int output, const platform::Cancellation* cancellation) {
  // Steps small enough that a cancellation is noticed soon.
  constexpr std::size_t kStep = 1 << 26;
  bool first = true;
  for (;;) {
    if (cancellation != nullptr && cancellation->Requested()) {
      return KernelCopy::Cancelled;
    }
    ssize_t moved = ::copy_file_range(input, nullptr, output, nullptr, kStep, 0);
    if (moved < 0 && first &&
        (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)) {
      break;  // not a file: try splice below
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
  first = true;
  for (;;) {
    if (!InputReady(input, cancellation)) {
      return KernelCopy::Cancelled;
    }
    const ssize_t moved = ::splice(input, nullptr, output, nullptr, 1 << 20, SPLICE_F_MOVE);
    if (moved < 0 && first && (errno == EINVAL || errno == ENOSYS)) {
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

// Copies everything from `input` to `output`, keeping the first bytes for the title search.
CopyResult CopyJob(int input, int output, std::string& head, const platform::Cancellation* cancellation) {
  std::vector<char> buffer(kCopyChunk);
  bool first = true;
  bool kernelTried = false;
  for (;;) {
    if (head.size() >= kTitleHeaderBytes && !kernelTried) {
      kernelTried = true;
      const KernelCopy kernel = CopyInKernel(input, output, cancellation);
      if (kernel == KernelCopy::Cancelled) {
        return CopyResult::Cancelled;
      }
      if (kernel != KernelCopy::Unsupported) {
        return kernel == KernelCopy::Done ? CopyResult::Copied : CopyResult::Failed;
      }
    }
    // Short reads while the head fills keep the title search to what the job's start holds.
    const std::size_t want = head.size() < kTitleHeaderBytes ? kTitleHeaderBytes - head.size() : buffer.size();
    if (!InputReady(input, cancellation)) {
      return CopyResult::Cancelled;
    }
    const ssize_t got = ReadSome(input, buffer.data(), want);
    if (got < 0) {
      return first ? CopyResult::NoData : CopyResult::Failed;
    }
    if (got == 0) {
      return first ? CopyResult::NoData : CopyResult::Copied;
    }
    first = false;
    if (head.size() < kTitleHeaderBytes) {
      head.append(buffer.data(), static_cast<std::size_t>(got));
    }
    if (!WriteAll(output, buffer.data(), static_cast<std::size_t>(got))) {
      return CopyResult::Failed;
    }
  }
}

}  // namespace

void ReceivePrintJob(MainWindowState& state, const Services& services, int input) {
  if (state.settings.AdvSheafwrightFilename != 0) {
    LoadSiblingSettings(state, services.temp, services.ui);
  }
  state.NoJobData = false;

  if (services.journal != nullptr) {
    services.journal->WillCreateTemporary();
  }
  if (const std::optional<std::filesystem::path> reserved = services.temp.Reserve("vlm")) {
    if (services.journal != nullptr) {
      services.journal->CreatedTemporary(*reserved);
    }
    state.TemporaryFiles.push_back(*reserved);
    state.JobFilePath = reserved->string() + ".ps";
  }
  state.OutputFileName = state.DocumentName.empty() ? std::string{kNoFileName} : state.DocumentName + ".pdf";

  // Someone starting the program at a terminal has no job to give; do not wait for typing.
  if (input < 0 || ::isatty(input) == 1) {
    state.NoJobData = true;
    return;
  }
  if (state.JobFilePath.empty()) {
    return;  // "&Create PDF" reports the missing job file
  }
  // A new file of our own: whatever already stands at that name (a link planted to make the job
  // overwrite another file, or a job file someone prepared) is neither written through nor taken
  // as the job.
  FileDescriptor job{::open(state.JobFilePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
  if (job.get() < 0) {
    state.JobFilePath.clear();
    return;
  }
  std::string head;
  const CopyResult copied = CopyJob(input, job.get(), head, services.cancellation);
  if (copied == CopyResult::Cancelled) {
    ::close(job.release());
    std::filesystem::remove(state.JobFilePath);
    return;
  }
  if (copied == CopyResult::NoData) {
    ::close(job.release());
    state.NoJobData = true;
    return;
  }
  const bool closed = ::close(job.release()) == 0;
  if (copied == CopyResult::Failed || !closed) {
    // A job cut short would silently become a PDF with pages missing; without the file the
    // conversion reports the missing job instead.
    DiagnosticOutput("Error - Copying the print job failed");
    std::filesystem::remove(state.JobFilePath);
    return;
  }

  if (state.DocumentName.empty()) {
    const JobTitle title = ExtractJobTitle(head);
    if (title.result == TitleSearch::Incomplete) {
      std::filesystem::remove(state.JobFilePath);
      services.ui.ShowMessage("Error getting filename", platform::MessageStyle::System);
      return;
    }
    if (title.title.empty()) {
      state.settings.SaveAs = std::string{settings::entries::kAskAuto};
      state.OutputFileName = OutputNameFromTitle(kNoFileName);
    } else {
      state.OutputFileName = OutputNameFromTitle(title.title);
    }
  }
  ApplyNamingRules(state, services.clock);
}

bool JobFileExists(const MainWindowState& state) {
  if (state.JobFilePath.empty()) {
    return false;
  }
  FileDescriptor job{::open(state.JobFilePath.c_str(), O_RDONLY | O_CLOEXEC)};
  return job.get() >= 0;
}

bool DeleteJobFile(const MainWindowState& state) {
  if (state.JobFilePath.empty()) {
    return true;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (::unlink(state.JobFilePath.c_str()) == 0 || errno == ENOENT) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void RemoveTemporaryFiles(MainWindowState& state) {
  DeleteJobFile(state);
  std::error_code ignored;
  for (const std::filesystem::path& path : state.TemporaryFiles) {
    std::filesystem::remove(path, ignored);
  }
  state.TemporaryFiles.clear();
}

}  // namespace vellumor::convert
