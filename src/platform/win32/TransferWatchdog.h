#pragma once
// The handles of one WinINet transfer, and the watch that ends the transfer when it takes too
// long or stops moving. WinINet's own time-outs do not cover every wait (Wine's, for one, waits
// for a response head for ever); closing a handle from another thread is the documented way to
// end a blocking WinINet call, so the watch closes them and the blocked call returns with an
// error. Each handle is closed exactly once, by whichever side comes first.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/HttpTransport.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: WinINet's header relies on its types.
#include <wininet.h>

namespace vellumor::platform {

class TransferWatchdog final {
 public:
  // Watches from now: the head of the response must come within connect + stall, each later
  // read within stall of the one before, and the whole transfer within total.
  TransferWatchdog(HINTERNET session, const TransportTimeouts& timeouts);
  // Closes whatever is still open.
  ~TransferWatchdog();
  TransferWatchdog(const TransferWatchdog&) = delete;
  TransferWatchdog& operator=(const TransferWatchdog&) = delete;

  // The request opened in the session; closed with it.
  void SetRequest(HINTERNET request);
  // Bytes arrived: the stall limit starts again.
  void Progress();
  // True once the watch closed the handles.
  bool Fired();

 private:
  void Watch();
  void CloseHandlesLocked();

  std::mutex mutex_;
  std::condition_variable wake_;
  HINTERNET session_;
  HINTERNET request_{nullptr};
  std::chrono::steady_clock::duration stall_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::steady_clock::time_point stallLimit_;
  bool finished_{false};
  bool fired_{false};
  std::thread thread_;
};

}  // namespace vellumor::platform
