#include "agent/support/AgentProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "agent/AgentClient.h"
#include "platform/posix/LocalSocket.h"

namespace vellumor::test {

void MakeRuntimeFolder(const std::filesystem::path& folder, uid_t user, gid_t group) {
  std::filesystem::create_directories(folder);
  (void)::chown(folder.c_str(), user, group);
  ::chmod(folder.c_str(), 0700);
}

std::unique_ptr<AgentProcess> AgentProcess::Start(const AgentSetup& setup, std::string& error) {
  std::unique_ptr<AgentProcess> agent{new AgentProcess};
  agent->runtime_ = setup.runtime;
  if (!std::filesystem::exists(setup.runtime)) {
    MakeRuntimeFolder(setup.runtime, setup.user.value_or(::geteuid()), setup.user ? setup.group : ::getegid());
  }
  std::vector<std::string> environment{"PATH=/usr/local/bin:/usr/bin:/bin",
                                       "XDG_RUNTIME_DIR=" + setup.runtime.string()};
  for (const auto& [name, value] : setup.environment) {
    environment.push_back(name + "=" + value);
  }
  // The sanitizers' settings of the test run reach the programs the agent starts, as the
  // session's environment does.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) {
      environment.push_back(std::string{name} + "=" + value);
    }
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  std::string program = setup.program.string();
  std::string option = "--agent";
  char* argv[] = {program.data(), option.data(), nullptr};
  const std::string log = (agent->logs_ / "stderr.txt").string();

  int control[2];
  if (::pipe2(control, O_CLOEXEC) != 0) {
    error = "no pipe";
    return nullptr;
  }
  agent->pid_ = ::fork();
  if (agent->pid_ == 0) {
    const int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(control[0], STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
    if (setup.user && (::setgroups(0, nullptr) != 0 || ::setgid(setup.group) != 0 || ::setuid(*setup.user) != 0)) {
      ::_exit(126);
    }
    ::execve(argv[0], argv, envp.data());
    ::_exit(127);
  }
  ::close(control[0]);
  agent->control_ = control[1];
  if (agent->pid_ < 0) {
    error = "fork failed";
    return nullptr;
  }
  return agent;
}

std::unique_ptr<AgentProcess> AgentProcess::StartListening(const AgentSetup& setup, std::string& error) {
  std::unique_ptr<AgentProcess> agent = Start(setup, error);
  if (agent && !agent->WaitUntilListening()) {
    error = "the agent does not listen: " + agent->ErrorOutput();
    return nullptr;
  }
  return agent;
}

AgentProcess::~AgentProcess() {
  CloseControl();
  if (!WaitForExit() && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

std::filesystem::path AgentProcess::Socket() const {
  return agent::AgentSocket(runtime_);
}

bool AgentProcess::WaitUntilListening(std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    std::string error;
    // Connecting succeeds once it listens, whoever the agent then answers.
    if (platform::LocalSocket::Connect(Socket(), std::chrono::milliseconds{1000}, error)) {
      return true;
    }
    if (WaitForExit(std::chrono::seconds{0})) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  return false;
}

void AgentProcess::CloseControl() {
  if (control_ >= 0) {
    ::close(control_);
    control_ = -1;
  }
}

void AgentProcess::Signal(int signal) const {
  ::kill(pid_, signal);
}

std::optional<int> AgentProcess::WaitForExit(std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!status_ && pid_ > 0) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (std::chrono::steady_clock::now() >= end) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
  }
  return status_;
}

std::string AgentProcess::ErrorOutput() const {
  return ReadFileBytes(logs_ / "stderr.txt");
}

std::size_t AgentProcess::OpenFiles() const {
  std::error_code error;
  const std::filesystem::directory_iterator files{"/proc/" + std::to_string(pid_) + "/fd", error};
  return error ? 0 : static_cast<std::size_t>(std::distance(files, std::filesystem::directory_iterator{}));
}

}  // namespace vellumor::test
