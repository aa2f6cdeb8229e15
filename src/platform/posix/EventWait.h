#pragma once
// Waits, without spinning and without timers, for the first of several things: data or a
// hang-up on open files, a request to end (SIGTERM, SIGINT, SIGHUP), or the end of a child
// process. While an EventWait exists those signals are events here instead of being handled the
// usual way, so that none is lost between two waits; afterwards they are held back as before.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

struct Events {
  std::vector<bool> ready;  // one per descriptor waited on: readable, closed or failed
  bool endRequested{false};
  bool childEnded{false};
  bool timedOut{false};
};

class EventWait final {
 public:
  // Nothing, with the reason, when the signals cannot be taken over.
  static std::unique_ptr<EventWait> Create(std::string& error);
  ~EventWait();
  EventWait(const EventWait&) = delete;
  EventWait& operator=(const EventWait&) = delete;

  // Waits for any of `descriptors` or a signal, at most `timeout` (nothing: as long as it takes).
  Events Wait(const std::vector<int>& descriptors, std::optional<std::chrono::milliseconds> timeout);

 private:
  struct HeldBefore;
  EventWait(OwnedFile signals, std::unique_ptr<HeldBefore> before);
  OwnedFile signals_;
  std::unique_ptr<HeldBefore> before_;
};

}  // namespace vellumor::platform
