// Notifications to other programs and the system's error texts, on Windows.

#include "platform/SystemEvents.h"

#include <atomic>
#include <cerrno>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

namespace {

std::atomic<std::size_t> broadcastCount{0};

// A window that does not answer within this time is skipped; a hung one at once.
constexpr UINT kBroadcastTimeoutMs = 5000;

}  // namespace

void BroadcastSettingChange(std::string_view area) {
  broadcastCount.fetch_add(1, std::memory_order_relaxed);
  const std::wstring text = WideFromUtf8(area);
  const LPARAM parameter = text.empty() ? 0 : reinterpret_cast<LPARAM>(text.c_str());
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, parameter, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &answer);
}

std::size_t SettingChangeBroadcastCount() {
  return broadcastCount.load(std::memory_order_relaxed);
}

std::string SystemErrorText(long code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring{buffer, length} : std::wstring{};
  ::LocalFree(buffer);
  // The system's texts end with a line break, which a one-line diagnostic does not want.
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    return "Unknown error " + std::to_string(code) + ".";
  }
  return Utf8FromWide(text);
}

long ErrorCodeFromErrno(int errnoValue) {
  // The C runtime's errno values of this platform, mapped to the system's own codes.
  switch (errnoValue) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EFBIG:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      // Never 0: an unexpected failure must still read as a failure.
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace vellumor::platform
