// Requests to stop the job on Windows: Ctrl+C and Ctrl+Break, the console closed, the user
// logging off and the system shutting down. The system calls the handler on a thread of its
// own; it records the request and sets an event, and the work stops at its next check.

#include "platform/Cancellation.h"

#include <io.h>

#include <atomic>

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {
namespace {

// How often a wait for input looks at the pipe again while nothing arrives.
constexpr DWORD kInputPollMs = 50;
// For the close, log-off and shutdown events the system ends the process when the handler
// returns; it waits this long for the work to clean up first.
constexpr DWORD kCleanupWaitMs = 4000;

std::atomic<DWORD> gRequest{0};  // the control event + 1; 0 before any arrived
HANDLE gRequested = nullptr;     // set once a request arrived
HANDLE gFinished = nullptr;      // set when the watch ends, the work having cleaned up
bool gWatching = false;
bool gHandling = false;

BOOL WINAPI OnConsoleControl(DWORD event) {
  DWORD none = 0;
  gRequest.compare_exchange_strong(none, event + 1);
  ::SetEvent(gRequested);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    ::WaitForSingleObject(gFinished, kCleanupWaitMs);
  }
  return TRUE;
}

}  // namespace

std::unique_ptr<Cancellation> Cancellation::Watch() {
  if (gWatching) {
    return nullptr;
  }
  gRequested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  gFinished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (gRequested == nullptr || gFinished == nullptr || !::SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
    for (HANDLE* event : {&gRequested, &gFinished}) {
      if (*event != nullptr) {
        ::CloseHandle(*event);
        *event = nullptr;
      }
    }
    return nullptr;
  }
  gRequest = 0;
  gWatching = true;
  gHandling = true;
  return std::unique_ptr<Cancellation>{new Cancellation};
}

Cancellation::~Cancellation() {
  StopWatching();
  ::SetEvent(gFinished);
  // The events stay: a handler the system already started may still use them until the
  // process ends.
  gWatching = false;
}

void Cancellation::StopWatching() {
  if (gHandling) {
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    gHandling = false;
  }
}

bool Cancellation::Requested() const {
  return gRequest.load() != 0;
}

std::string Cancellation::SignalName() const {
  switch (gRequest.load()) {
    case 0:
      return "";
    case CTRL_C_EVENT + 1:
      return "Ctrl+C";
    case CTRL_BREAK_EVENT + 1:
      return "Ctrl+Break";
    case CTRL_CLOSE_EVENT + 1:
      return "console closed";
    case CTRL_LOGOFF_EVENT + 1:
      return "logoff";
    default:
      return "shutdown";
  }
}

// Windows has no descriptor to watch; windows wait on the system's own events.
int Cancellation::Descriptor() const {
  return -1;
}

bool Cancellation::WaitReadable(int fd) const {
  const auto input = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  // Files and devices answer a read at once; only a pipe can leave a read waiting.
  if (input == INVALID_HANDLE_VALUE || ::GetFileType(input) != FILE_TYPE_PIPE) {
    return !Requested();
  }
  for (;;) {
    if (Requested()) {
      return false;
    }
    DWORD available = 0;
    // A pipe whose writer is gone has its end to report.
    if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
      return !Requested();
    }
    if (::WaitForSingleObject(gRequested, kInputPollMs) == WAIT_OBJECT_0) {
      return false;
    }
  }
}

bool PauseUnlessCancelled(const Cancellation* cancellation, int milliseconds) {
  const DWORD pause = static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds);
  if (cancellation == nullptr) {
    ::Sleep(pause);
    return true;
  }
  if (cancellation->Requested()) {
    return false;
  }
  ::WaitForSingleObject(gRequested, pause);
  return !cancellation->Requested();
}

}  // namespace vellumor::platform
