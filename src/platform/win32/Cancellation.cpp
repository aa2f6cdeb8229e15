// Requests to stop the job on Windows: Ctrl+C and Ctrl+Break, the console closed, the user
// logging off and the system shutting down, and the Vellumor port's word that the job was
// cancelled in the print queue or cut short (PortChannel.h). The system calls the handlers on
// threads of their own; they record the request and set an event, and the work stops at its next
// check.

#include "platform/Cancellation.h"

#include <io.h>

#include <atomic>

#include "platform/win32/PortChannel.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {
namespace {

// How often a wait for input looks at the pipe again while nothing arrives.
constexpr DWORD kInputPollMs = 50;
// For the close, log-off and shutdown events the system ends the process when the handler
// returns; it waits this long for the work to clean up first.
constexpr DWORD kCleanupWaitMs = 4000;

// The port's requests, numbered beyond the console's control events.
constexpr DWORD kPortCancelled = 0x100;
constexpr DWORD kPortCutShort = 0x101;

std::atomic<DWORD> gRequest{0};  // the control event + 1, or a port request; 0 before any arrived
HANDLE gRequested = nullptr;     // set once a request arrived
HANDLE gFinished = nullptr;      // set when the watch ends, the work having cleaned up
HANDLE gPortWait = nullptr;      // the system's wait for the port's cancellation
bool gWatching = false;
bool gHandling = false;

void Record(DWORD request) {
  DWORD none = 0;
  gRequest.compare_exchange_strong(none, request);
  if (gRequested != nullptr) {
    ::SetEvent(gRequested);
  }
}

void CALLBACK OnPortCancelled(void*, BOOLEAN) {
  Record(kPortCancelled);
}

BOOL WINAPI OnConsoleControl(DWORD event) {
  Record(event + 1);
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
  if (const HANDLE portCancelled = ThisProcessPortChannel().cancelled; portCancelled != nullptr) {
    ::RegisterWaitForSingleObject(&gPortWait, portCancelled, OnPortCancelled, nullptr, INFINITE, WT_EXECUTEONLYONCE);
  }
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
  if (gPortWait != nullptr) {
    // Waits for a callback already running, so none runs after the watch is gone.
    ::UnregisterWaitEx(gPortWait, INVALID_HANDLE_VALUE);
    gPortWait = nullptr;
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
    case kPortCancelled:
      return "cancelled in the print queue";
    case kPortCutShort:
      return "the print job ended before it was complete";
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

void RecordPortJobCutShort() {
  Record(kPortCutShort);
}

HANDLE CancellationRequestedEvent() {
  return gWatching ? gRequested : nullptr;
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
