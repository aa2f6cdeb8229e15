#include "platform/SystemEvents.h"

#include <atomic>
#include <cerrno>

namespace vellumor::platform {

namespace {

std::atomic<std::size_t> broadcastCount{0};

struct ErrorText {
  long code;
  const char* text;
};

// The texts Windows gives for the codes this program meets, so that diagnostics read the same
// on every platform.
constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {160, "One or more arguments are not correct."},
    {206, "The filename or extension is too long."},
    {234, "More data is available."},
    {1117, "The request could not be performed because of an I/O device error."},
};

}  // namespace

void BroadcastSettingChange(std::string_view /*area*/) {
  broadcastCount.fetch_add(1, std::memory_order_relaxed);
}

std::size_t SettingChangeBroadcastCount() {
  return broadcastCount.load(std::memory_order_relaxed);
}

std::string SystemErrorText(long code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) {
      return entry.text;
    }
  }
  return "Unknown error " + std::to_string(code) + ".";
}

long ErrorCodeFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0:
      return 0;
    case ENOENT:
      return 2;
    case ENOTDIR:
    case ELOOP:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
      return 5;
    case EBADF:
      return 6;
    case ENOMEM:
      return 8;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return 32;
    case EEXIST:
      return 80;
    case EINVAL:
      return 87;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 112;
    case ENAMETOOLONG:
      return 206;
    case EIO:
      return 1117;
    default:
      // Never 0: an unexpected failure must still read as a failure.
      return 31;
  }
}

}  // namespace vellumor::platform
