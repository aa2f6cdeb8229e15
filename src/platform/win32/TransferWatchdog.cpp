#include "platform/win32/TransferWatchdog.h"

#include <algorithm>

namespace vellumor::platform {

TransferWatchdog::TransferWatchdog(HINTERNET session, const TransportTimeouts& timeouts)
    : session_{session},
      stall_{timeouts.stall},
      deadline_{std::chrono::steady_clock::now() + timeouts.total},
      stallLimit_{std::chrono::steady_clock::now() + timeouts.connect + timeouts.stall},
      thread_{[this] { Watch(); }} {}

TransferWatchdog::~TransferWatchdog() {
  {
    const std::lock_guard lock{mutex_};
    finished_ = true;
    CloseHandlesLocked();
  }
  wake_.notify_all();
  thread_.join();
}

void TransferWatchdog::SetRequest(HINTERNET request) {
  const std::lock_guard lock{mutex_};
  if (fired_) {
    ::InternetCloseHandle(request);  // too late: the transfer already ended
    return;
  }
  request_ = request;
}

void TransferWatchdog::Progress() {
  const std::lock_guard lock{mutex_};
  stallLimit_ = std::chrono::steady_clock::now() + stall_;
}

bool TransferWatchdog::Fired() {
  const std::lock_guard lock{mutex_};
  return fired_;
}

void TransferWatchdog::Watch() {
  std::unique_lock lock{mutex_};
  while (!finished_) {
    const auto limit = std::min(deadline_, stallLimit_);
    if (std::chrono::steady_clock::now() >= limit) {
      fired_ = true;
      CloseHandlesLocked();
      return;
    }
    wake_.wait_until(lock, limit);
  }
}

void TransferWatchdog::CloseHandlesLocked() {
  if (request_ != nullptr) {
    ::InternetCloseHandle(request_);
    request_ = nullptr;
  }
  if (session_ != nullptr) {
    ::InternetCloseHandle(session_);
    session_ = nullptr;
  }
}

}  // namespace vellumor::platform
