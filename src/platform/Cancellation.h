#pragma once
// A request from outside to stop the job. On POSIX systems: SIGTERM (how the print system
// cancels a job), SIGINT (Ctrl+C) and SIGHUP (the session ended). On Windows: the console's
// Ctrl+C and Ctrl+Break, the console closed, the user logging off and the system shutting down.
// The handler only records the request and wakes the waits below; the work stops at its next
// check, cleans up and ends.

#include <memory>
#include <string>

namespace vellumor::platform {

class Cancellation final {
 public:
  // Starts watching the requests; nothing when another watch is active in this process or the
  // notification channel cannot be made.
  static std::unique_ptr<Cancellation> Watch();
  // Puts the previous handling back.
  ~Cancellation();
  // From now on the requests act as before the watch (for work that has nothing to clean up);
  // a request that already arrived stays.
  void StopWatching();
  Cancellation(const Cancellation&) = delete;
  Cancellation& operator=(const Cancellation&) = delete;

  bool Requested() const;
  // The request's name: "SIGTERM", "SIGINT", "SIGHUP"; on Windows "Ctrl+C", "Ctrl+Break",
  // "console closed", "logoff" or "shutdown". "" before any arrived.
  std::string SignalName() const;
  // POSIX: a descriptor that becomes readable once a request arrived, for event loops to watch.
  // Windows has none (-1): there the windows' own loop asks Requested().
  int Descriptor() const;
  // Waits until the file numbered `fd` in the C runtime (standard input) has data, an end or an
  // error to report; false when a cancellation came first (or arrives while waiting). On Windows
  // only a pipe can keep a read waiting; a file or device answers at once.
  bool WaitReadable(int fd) const;

 private:
  Cancellation() = default;
};

// Waits `milliseconds`, or less when a cancellation arrives (or has arrived): false then. For
// waits the system cannot end on a request by itself, such as a lock held by another job, which
// are retried after each pause.
bool PauseUnlessCancelled(const Cancellation* cancellation, int milliseconds);

}  // namespace vellumor::platform
