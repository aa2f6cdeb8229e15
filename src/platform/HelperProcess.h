#pragma once
// This program started once more, as a helper for work that has to be stoppable at any moment
// from outside: the engine, which nothing stops from within once it runs. The helper reads what
// its starter sends on its standard input and writes its answers to its standard output; its
// standard error is the starter's. It does not outlive its starter, however the starter ends
// (on Windows, where the system lets it join a job), and once stopped it holds nothing open any
// more, so its files can be removed.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::platform {

class HelperProcess final {
 public:
  // Starts this program's own file with `arguments` after its name; nothing, with the reason in
  // `error`, when it cannot be started.
  static std::unique_ptr<HelperProcess> Start(const std::vector<std::string>& arguments, std::string& error);
  // Stops the helper if it still runs.
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Writes `bytes` to the helper's standard input; false when it is gone.
  bool Send(std::string_view bytes);

  enum class Received {
    Data,      // something was appended
    Ended,     // the helper's output is closed: it ended (or is ending)
    TimedOut,  // nothing within the time given (or a signal ended the wait early)
  };
  // Waits up to `timeout` for what the helper writes and appends it to `into`.
  Received Receive(std::string& into, std::chrono::milliseconds timeout);

  // Ends the helper at once and waits until it is gone.
  void Stop();
  // Waits for the helper's end (Receive said Ended, or Stop) and tells how it ended, in words.
  std::string HowItEnded();

 private:
  struct Handles;
  explicit HelperProcess(std::unique_ptr<Handles> handles);
  std::unique_ptr<Handles> handles_;
};

// In the helper: the channel to its starter. Reads exactly `size` bytes; false when the starter
// closed its end (or is gone) first.
bool ReadFromStarter(char* buffer, std::size_t size);
// Writes all of `bytes`; false when the starter is gone.
bool WriteToStarter(std::string_view bytes);
// In the helper, first of all: ties its life to the starter's. False when it was not started as a
// helper (standard input is no channel) or its starter is already gone.
bool EndWithStarter();

}  // namespace vellumor::platform
