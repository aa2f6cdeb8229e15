#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace vellumor::test {
namespace {

std::vector<std::string> BuildEnvironment(const ProcessOptions& options) {
  std::vector<std::string> result;
  std::set<std::string> replaced;
  for (const auto& [name, value] : options.setEnvironment) {
    replaced.insert(name);
  }
  for (const std::string& name : options.unsetEnvironment) {
    replaced.insert(name);
  }
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text{*entry};
    const std::string name = text.substr(0, text.find('='));
    if (!replaced.contains(name)) {
      result.push_back(text);
    }
  }
  for (const auto& [name, value] : options.setEnvironment) {
    result.push_back(name + "=" + value);
  }
  return result;
}

// Starts `arguments` (found on PATH) with the environment of `options`; posix_spawnp's result.
int Spawn(const std::vector<std::string>& arguments, const ProcessOptions& options,
          const posix_spawn_file_actions_t& files, pid_t& pid) {
  std::vector<std::string> environment = BuildEnvironment(options);
  std::vector<char*> envp;
  for (std::string& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  return posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), envp.data());
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& arguments, const ProcessOptions& options) {
  // A child that exits without reading its input must not take the test down with it.
  signal(SIGPIPE, SIG_IGN);
  int outPipe[2];
  int errPipe[2];
  int inPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    return {};
  }
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  if (options.stdinText) {
    if (pipe2(inPipe, O_CLOEXEC) != 0) {
      return {};
    }
    posix_spawn_file_actions_adddup2(&files, inPipe[0], STDIN_FILENO);
  } else {
    const std::string input = options.stdinFile ? options.stdinFile->string() : "/dev/null";
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&files, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&files, errPipe[1], STDERR_FILENO);
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&files, options.workingDirectory.c_str());
  }

  pid_t pid = 0;
  const int spawned = Spawn(arguments, options, files, pid);
  posix_spawn_file_actions_destroy(&files);
  close(outPipe[1]);
  close(errPipe[1]);
  if (inPipe[0] >= 0) {
    close(inPipe[0]);
  }
  ProcessResult result;
  if (spawned != 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    if (inPipe[1] >= 0) {
      close(inPipe[1]);
    }
    result.err = std::string{"cannot start "} + arguments[0] + ": " + std::strerror(spawned);
    return result;
  }

  // Feed standard input and drain both outputs together so that no pipe fills up and blocks.
  std::string_view pending = options.stdinText ? std::string_view{*options.stdinText} : std::string_view{};
  int inFd = inPipe[1];
  if (inFd >= 0 && pending.empty()) {
    close(inFd);
    inFd = -1;
  }
  if (inFd >= 0) {
    fcntl(inFd, F_SETFL, O_NONBLOCK);
  }
  int open = 2;
  char buffer[65536];
  while (open > 0 || inFd >= 0) {
    pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
    poll(fds, 3, -1);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
        if (got <= 0) {
          close(fds[i].fd);
          (i == 0 ? outPipe[0] : errPipe[0]) = -1;
          --open;
        } else {
          (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
        }
      }
    }
    if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t put = write(inFd, pending.data(), pending.size());
      if (put > 0) {
        pending.remove_prefix(static_cast<std::size_t>(put));
      }
      if (put < 0 || pending.empty()) {
        close(inFd);
        inFd = -1;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& arguments, const ProcessOptions& options) {
  char pattern[] = "/tmp/vellumor-logs-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    return;
  }
  logs_ = pattern;
  int inPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0) {
    return;
  }
  signal(SIGPIPE, SIG_IGN);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, inPipe[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, (logs_ / "out").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (logs_ / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&files, options.workingDirectory.c_str());
  }
  pid_t pid = 0;
  if (Spawn(arguments, options, files, pid) == 0) {
    pid_ = pid;
  }
  posix_spawn_file_actions_destroy(&files);
  close(inPipe[0]);
  input_ = inPipe[1];
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) {
    Signal(SIGKILL);
    Wait();
  }
  CloseInput();
  std::error_code ignored;
  std::filesystem::remove_all(logs_, ignored);
}

void BackgroundProcess::WriteInput(std::string_view text) {
  while (input_ >= 0 && !text.empty()) {
    const ssize_t put = write(input_, text.data(), text.size());
    if (put <= 0) {
      break;
    }
    text.remove_prefix(static_cast<std::size_t>(put));
  }
}

void BackgroundProcess::CloseInput() {
  if (input_ >= 0) {
    close(input_);
    input_ = -1;
  }
}

bool BackgroundProcess::Signal(int number) {
  return pid_ > 0 && !status_ && kill(pid_, number) == 0;
}

bool BackgroundProcess::Ended(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (pid_ > 0 && !status_) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = status;
    } else if (std::chrono::steady_clock::now() >= deadline) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds{5});
    }
  }
  return status_.has_value();
}

ProcessResult BackgroundProcess::Wait(int* signalNumber) {
  ProcessResult result;
  if (pid_ <= 0) {
    return result;
  }
  CloseInput();
  int status = status_.value_or(0);
  while (!status_ && waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  status_.reset();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (signalNumber != nullptr) {
    *signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  result.out = ReadFileBytes(logs_ / "out");
  result.err = ReadFileBytes(logs_ / "err");
  return result;
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string folder{rest.substr(0, colon)};
    if (access((folder + "/" + name).c_str(), X_OK) == 0) {
      return true;
    }
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  }
  return false;
}

}  // namespace vellumor::test
