// What the system events are on every system: the broadcasts are counted, and errno values map to
// the Windows-numbered codes through one table.

#include "platform/SystemEvents.h"

#include <atomic>
#include <cerrno>

#include "platform/Registry.h"

namespace vellumor::platform {

namespace {

std::atomic<std::size_t> broadcastCount{0};

struct ErrnoCode {
  int errnoValue;
  long code;
};

// The C runtime's errno values the program meets, with the code Windows has for each.
constexpr ErrnoCode kErrnoCodes[] = {
    {0, win_error::kSuccess},
    {ENOENT, win_error::kFileNotFound},
    {ENOTDIR, win_error::kPathNotFound},
    {ELOOP, win_error::kPathNotFound},
    {EMFILE, win_error::kTooManyOpenFiles},
    {ENFILE, win_error::kTooManyOpenFiles},
    {EACCES, win_error::kAccessDenied},
    {EPERM, win_error::kAccessDenied},
    {EROFS, win_error::kAccessDenied},
    {EBADF, win_error::kInvalidHandle},
    {ENOMEM, win_error::kNotEnoughMemory},
    {EBUSY, win_error::kSharingViolation},
    {ETXTBSY, win_error::kSharingViolation},
    {EAGAIN, win_error::kSharingViolation},
    {EWOULDBLOCK, win_error::kSharingViolation},  // the same value as EAGAIN on some systems
    {EEXIST, win_error::kFileExists},
    {EINVAL, win_error::kInvalidParameter},
    {ENOSPC, win_error::kDiskFull},
#ifdef EDQUOT  // where the system has disk quotas
    {EDQUOT, win_error::kDiskFull},
#endif
    {EFBIG, win_error::kDiskFull},
    {ENAMETOOLONG, win_error::kFileNameTooLong},
    {EIO, win_error::kIoDeviceError},
};

}  // namespace

void BroadcastSettingChange(std::string_view area) {
  broadcastCount.fetch_add(1, std::memory_order_relaxed);
  NotifySettingChange(area);
}

std::size_t SettingChangeBroadcastCount() {
  return broadcastCount.load(std::memory_order_relaxed);
}

long ErrorCodeFromErrno(int errnoValue) {
  for (const ErrnoCode& entry : kErrnoCodes) {
    if (entry.errnoValue == errnoValue) {
      return entry.code;
    }
  }
  // Never 0: an unexpected failure must still read as a failure.
  return win_error::kGeneralFailure;
}

}  // namespace vellumor::platform
