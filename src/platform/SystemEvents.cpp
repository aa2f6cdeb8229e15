// What the system events are on every system: the broadcasts are counted, and errno values map to
// the Windows-numbered codes through one table.

#include "platform/SystemEvents.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <initializer_list>

#include "platform/Registry.h"

namespace vellumor::platform {

namespace {

std::atomic<std::size_t> broadcastCount{0};

// The C runtime's errno values the program meets, by the code Windows has for them. EAGAIN and
// EWOULDBLOCK are one value on some systems and two on others.
struct ErrnoCodes {
  long code;
  std::initializer_list<int> errnoValues;
};

const ErrnoCodes kErrnoCodes[] = {
    {win_error::kSuccess, {0}},
    {win_error::kFileNotFound, {ENOENT}},
    {win_error::kPathNotFound, {ENOTDIR, ELOOP}},
    {win_error::kTooManyOpenFiles, {EMFILE, ENFILE}},
    {win_error::kAccessDenied, {EACCES, EPERM, EROFS}},
    {win_error::kInvalidHandle, {EBADF}},
    {win_error::kNotEnoughMemory, {ENOMEM}},
    {win_error::kSharingViolation, {EBUSY, ETXTBSY, EAGAIN, EWOULDBLOCK}},
    {win_error::kFileExists, {EEXIST}},
    {win_error::kInvalidParameter, {EINVAL}},
#ifdef EDQUOT  // where the system has disk quotas
    {win_error::kDiskFull, {ENOSPC, EFBIG, EDQUOT}},
#else
    {win_error::kDiskFull, {ENOSPC, EFBIG}},
#endif
    {win_error::kFileNameTooLong, {ENAMETOOLONG}},
    {win_error::kIoDeviceError, {EIO}},
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
  for (const ErrnoCodes& entry : kErrnoCodes) {
    if (std::find(entry.errnoValues.begin(), entry.errnoValues.end(), errnoValue) != entry.errnoValues.end()) {
      return entry.code;
    }
  }
  // Never 0: an unexpected failure must still read as a failure.
  return win_error::kGeneralFailure;
}

}  // namespace vellumor::platform
