#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Shell.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/OwnedFile.h"

extern char** environ;

namespace vellumor::platform {
namespace {

// How often a watched opener is looked at while the caller's windows are served.
constexpr std::chrono::milliseconds kWatchSlice{20};

// Starts the program in a session of its own and does not wait for it: a viewer outlives the
// conversion. Nothing when it could not be started.
std::optional<pid_t> Spawn(std::vector<std::string> arguments) {
  std::vector<char*> argv = ArgumentVector(arguments);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  // The viewer must not read the print job or write into a pipe someone waits on.
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  pid_t pid = 0;
  const int result = posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    return std::nullopt;
  }
  return pid;
}

// The child's exit status once it has ended (-1 when it was collected elsewhere and its status
// is unknown); nothing while it runs.
std::optional<int> Ended(pid_t pid) {
  int status = 0;
  const pid_t ended = ::waitpid(pid, &status, WNOHANG);
  if (ended == 0) {
    return std::nullopt;
  }
  if (ended != pid) {
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// True unless the child ends with a failure within the watch's patience. Its end is noticed at
// once through a process descriptor; between looks the caller's `whileWaiting` runs.
bool SucceedsWithin(pid_t pid, const OpenerWatch& watch) {
  // Through the system call: the C library's wrapper is not declared for C++ in every version.
  const OwnedFile handle{static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))};
  const auto deadline = std::chrono::steady_clock::now() + watch.patience;
  std::optional<int> status;
  for (;;) {
    status = Ended(pid);
    const auto now = std::chrono::steady_clock::now();
    if (status || now >= deadline) {
      break;
    }
    if (watch.whileWaiting) {
      watch.whileWaiting();
    }
    const auto slice = std::min(kWatchSlice, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now));
    if (handle.Valid()) {
      pollfd ready{handle.Get(), POLLIN, 0};
      ::poll(&ready, 1, static_cast<int>(slice.count()));
    } else {
      std::this_thread::sleep_for(slice);
    }
  }
  return !status || *status <= 0;
}

class DesktopShell final : public Shell {
 public:
  bool OpenDocument(std::string_view path) override { return Start({"xdg-open", std::string{path}}).has_value(); }
  bool OpenWith(std::string_view program, std::string_view path) override {
    return Start({std::string{program}, std::string{path}}).has_value();
  }
  bool OpenDocumentWatched(std::string_view path, const OpenerWatch& watch) override {
    return Watch(Start({"xdg-open", std::string{path}}), watch);
  }
  bool OpenWithWatched(std::string_view program, std::string_view path, const OpenerWatch& watch) override {
    return Watch(Start({std::string{program}, std::string{path}}), watch);
  }

 private:
  // Finished children of earlier starts are collected on the next one, so none stays a zombie
  // for long; only this shell's own children are touched.
  std::optional<pid_t> Start(const std::vector<std::string>& arguments) {
    std::erase_if(running_, [](pid_t pid) { return Ended(pid).has_value(); });
    const std::optional<pid_t> pid = Spawn(arguments);
    if (pid) {
      running_.push_back(*pid);
    }
    return pid;
  }

  bool Watch(std::optional<pid_t> pid, const OpenerWatch& watch) {
    if (!pid) {
      return false;
    }
    const bool succeeded = SucceedsWithin(*pid, watch);
    std::erase_if(running_, [](pid_t child) { return Ended(child).has_value(); });
    return succeeded;
  }

  std::vector<pid_t> running_;
};

}  // namespace

std::string_view ProgramFilePattern() {
  return "*";
}

std::unique_ptr<Shell> MakeDesktopShell() {
  return std::make_unique<DesktopShell>();
}

}  // namespace vellumor::platform
