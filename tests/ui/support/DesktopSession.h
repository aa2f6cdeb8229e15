#pragma once
// The built program on a real (virtual) X display: an Xvfb server of the test's own, the program
// running in the background, and the two things a user does to its windows from outside: find
// one by its caption and ask it to close, as a window manager's close box does.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.h"

namespace vellumor::test {

class XvfbServer final {
 public:
  // A server on a display number it chose itself; nothing, with the reason, when none started.
  static std::unique_ptr<XvfbServer> Start(std::string& why);
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer();

  const std::string& Display() const { return display_; }

 private:
  static std::unique_ptr<XvfbServer> StartOnce(std::string& why);
  XvfbServer(pid_t pid, std::string display) : pid_{pid}, display_{std::move(display)} {}
  pid_t pid_;
  std::string display_;
};

class RunningProgram final {
 public:
  // Starts `arguments` with `options` (standard input from options.stdinFile or /dev/null);
  // standard output and error go to files under `logFolder`.
  RunningProgram(const std::vector<std::string>& arguments, const ProcessOptions& options,
                 const std::filesystem::path& logFolder);
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  // Kills the program if it is still running.
  ~RunningProgram();

  bool Started() const { return pid_ > 0; }
  // The exit status once it ended within `timeout`; nothing while it still runs.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  std::string ErrorOutput() const;
  // Sends the program a signal, as the print system does to cancel a job.
  bool Signal(int number) const;

 private:
  pid_t pid_{-1};
  std::optional<int> status_;
  std::filesystem::path errorLog_;
};

// The first window on `display` whose caption matches the regular expression `name`, waiting up
// to `timeout` for it to appear.
std::optional<unsigned long> FindWindow(const std::string& display, const std::string& name,
                                        std::chrono::milliseconds timeout);
// Sends the window the window manager's close request (WM_DELETE_WINDOW).
bool RequestClose(const std::string& display, unsigned long window);
// Pings the window as a window manager does (_NET_WM_PING): true when its program answers
// within `timeout`, which it does only while its event loop runs.
bool AnswersPing(const std::string& display, unsigned long window, std::chrono::milliseconds timeout);

}  // namespace vellumor::test
