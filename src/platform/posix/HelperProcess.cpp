// The helper on Linux: one stream socket carries both directions (a write to a helper that is
// gone then fails instead of raising SIGPIPE), the kernel kills the helper when its starter
// dies, and stopping it is SIGKILL followed by waiting for it.

#include "platform/HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/ChildProcess.h"
#include "platform/posix/OwnedFile.h"

extern char** environ;

namespace vellumor::platform {

struct HelperProcess::Handles {
  pid_t process{-1};
  OwnedFile channel;
  bool reaped{false};
  int status{0};
};

namespace {

// Above the standard streams, so that placing the helper's end on them never meets itself.
int AboveStandardStreams(int fd) {
  if (fd > STDERR_FILENO) {
    return fd;
  }
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  ::close(fd);
  return moved;
}

std::string Describe(int status) {
  if (WIFSIGNALED(status)) {
    return "ended by signal " + std::to_string(WTERMSIG(status));
  }
  return "exited with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

HelperProcess::HelperProcess(std::unique_ptr<Handles> handles) : handles_{std::move(handles)} {}

std::unique_ptr<HelperProcess> HelperProcess::Start(const std::vector<std::string>& arguments, std::string& error) {
  const std::filesystem::path program = RunningProgram();
  int ends[2];
  if (program.empty() || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    error = program.empty() ? "the program's own file cannot be found" : std::strerror(errno);
    return nullptr;
  }
  OwnedFile ours{AboveStandardStreams(ends[0])};
  OwnedFile theirs{AboveStandardStreams(ends[1])};
  if (!ours.Valid() || !theirs.Valid()) {
    error = std::strerror(errno);
    return nullptr;
  }
  std::vector<std::string> texts{program.string()};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv = ArgumentVector(texts);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, theirs.Get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&files, theirs.Get(), STDOUT_FILENO);
  // Nothing else of this process (locks, the job's input, the windows' connection) reaches it.
  posix_spawn_file_actions_addclosefrom_np(&files, STDERR_FILENO + 1);
  // Signals held back or taken over here act as usual there; it stays in this process group, so
  // that an interrupt from the terminal reaches both.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t usual;
  sigemptyset(&usual);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE, SIGQUIT}) {
    sigaddset(&usual, signal);
  }
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &usual);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t process = -1;
  const int spawned = ::posix_spawn(&process, program.c_str(), &files, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) {
    error = "cannot start " + program.string() + ": " + std::strerror(spawned);
    return nullptr;
  }
  auto handles = std::make_unique<Handles>();
  handles->process = process;
  handles->channel = std::move(ours);
  return std::unique_ptr<HelperProcess>{new HelperProcess{std::move(handles)}};
}

HelperProcess::~HelperProcess() {
  Stop();
}

bool HelperProcess::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(handles_->channel.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) {
      continue;
    }
    if (sent <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

HelperProcess::Received HelperProcess::Receive(std::string& into, std::chrono::milliseconds timeout) {
  pollfd ready{handles_->channel.Get(), POLLIN, 0};
  const int count = ::poll(&ready, 1, static_cast<int>(timeout.count()));
  if (count <= 0) {
    return Received::TimedOut;  // a signal that cuts the wait short is looked at by the caller
  }
  char buffer[1 << 16];
  const ssize_t got = ::recv(handles_->channel.Get(), buffer, sizeof buffer, 0);
  if (got < 0 && errno == EINTR) {
    return Received::TimedOut;
  }
  if (got <= 0) {
    return Received::Ended;
  }
  into.append(buffer, static_cast<std::size_t>(got));
  return Received::Data;
}

void HelperProcess::Stop() {
  if (handles_->process > 0 && !handles_->reaped) {
    ::kill(handles_->process, SIGKILL);
  }
  HowItEnded();
}

std::string HelperProcess::HowItEnded() {
  if (handles_->process <= 0) {
    return "";
  }
  while (!handles_->reaped) {
    if (::waitpid(handles_->process, &handles_->status, 0) == handles_->process) {
      handles_->reaped = true;
    } else if (errno != EINTR) {
      return "";
    }
  }
  return Describe(handles_->status);
}

bool ReadFromStarter(char* buffer, std::size_t size) {
  while (size > 0) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    buffer += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteToStarter(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(STDOUT_FILENO, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) {
      continue;
    }
    if (sent <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool EndWithStarter() {
  struct stat input {};
  if (::fstat(STDIN_FILENO, &input) != 0 || !S_ISSOCK(input.st_mode)) {
    return false;
  }
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) {
    return false;
  }
  // A starter that died before the line above sent no signal; its end of the channel is closed
  // by then, which the channel shows at once.
  pollfd channel{STDIN_FILENO, POLLRDHUP, 0};
  return ::poll(&channel, 1, 0) == 0;
}

}  // namespace vellumor::platform
