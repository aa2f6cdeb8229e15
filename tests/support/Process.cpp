#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
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

// Every process id /proc lists.
std::vector<int> AllProcesses() {
  std::vector<int> processes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
      processes.push_back(std::stoi(name));
    }
  }
  return processes;
}

std::string ProcFile(int process, const char* name) {
  std::ifstream file("/proc/" + std::to_string(process) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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

std::vector<int> ProcessesWithEnvironment(std::string_view entry) {
  std::vector<int> found;
  for (const int process : AllProcesses()) {
    const std::string environment = ProcFile(process, "environ");
    for (std::size_t start = 0; start < environment.size();) {
      const std::size_t end = std::min(environment.find('\0', start), environment.size());
      if (std::string_view{environment}.substr(start, end - start) == entry) {
        found.push_back(process);
        break;
      }
      start = end + 1;
    }
  }
  return found;
}

std::vector<int> ProcessesOfUser(unsigned uid) {
  std::vector<int> found;
  for (const int process : AllProcesses()) {
    std::istringstream status{ProcFile(process, "status")};
    for (std::string line; std::getline(status, line);) {
      unsigned real = 0;
      if (line.starts_with("Uid:") && std::istringstream{line.substr(4)} >> real && real == uid) {
        found.push_back(process);
      }
    }
  }
  return found;
}

std::optional<std::chrono::milliseconds> ProcessorTime(int process) {
  const std::string stat = ProcFile(process, "stat");
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) {
    return std::nullopt;
  }
  // After the name: the state, then ten more fields up to utime and stime (fields 14 and 15).
  std::istringstream fields{stat.substr(end + 2)};
  std::string skipped;
  for (int field = 3; field < 14; ++field) {
    fields >> skipped;
  }
  long long user = 0;
  long long system = 0;
  if (!(fields >> user >> system)) {
    return std::nullopt;
  }
  return std::chrono::milliseconds{(user + system) * 1000 / sysconf(_SC_CLK_TCK)};
}

bool WaitUntilBusy(const std::function<std::vector<int>()>& processes, std::chrono::milliseconds time) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes{2};
  while (std::chrono::steady_clock::now() < deadline) {
    std::chrono::milliseconds used{0};
    for (const int process : processes()) {
      used += ProcessorTime(process).value_or(std::chrono::milliseconds{0});
    }
    if (used >= time) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  return false;
}

std::chrono::milliseconds WaitUntilGone(const std::function<std::vector<int>()>& processes,
                                        std::chrono::milliseconds limit) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const std::vector<int> left = processes();
    if (left.empty() || took > limit) {
      for (const int process : left) {
        kill(process, SIGKILL);
      }
      return took;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
}

}  // namespace vellumor::test
