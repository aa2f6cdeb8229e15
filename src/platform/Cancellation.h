#pragma once
// A request from outside to stop the job: SIGTERM (how the print system cancels a job), SIGINT
// (Ctrl+C) and SIGHUP (the session ended). The signal handler only records the request and
// makes a descriptor readable; the work stops at its next check, cleans up and ends.

#include <memory>
#include <string>

namespace vellumor::platform {

class Cancellation final {
 public:
  // Starts watching the three signals; nothing when another watch is active in this process or
  // the notification channel cannot be made.
  static std::unique_ptr<Cancellation> Watch();
  // Puts the previous signal handling back.
  ~Cancellation();
  // From now on the signals act as before the watch (for work that has nothing to clean up);
  // a request that already arrived stays.
  void StopWatching();
  Cancellation(const Cancellation&) = delete;
  Cancellation& operator=(const Cancellation&) = delete;

  bool Requested() const;
  // The signal's name ("SIGTERM"), "" before any arrived.
  std::string SignalName() const;
  // A descriptor that becomes readable once a request arrived, for event loops to watch.
  int Descriptor() const;
  // Waits until `fd` has data, an end or an error to report; false when a cancellation came
  // first (or arrives while waiting).
  bool WaitReadable(int fd) const;

 private:
  Cancellation() = default;
};

// Waits `milliseconds`, or less when a cancellation arrives (or has arrived): false then. For
// waits the system cannot end on a request by itself, such as a lock held by another job, which
// are retried after each pause.
bool PauseUnlessCancelled(const Cancellation* cancellation, int milliseconds);

}  // namespace vellumor::platform
