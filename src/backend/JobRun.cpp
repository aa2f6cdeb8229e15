#include "backend/JobRun.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "agent/AgentProtocol.h"
#include "backend/SessionHandOver.h"
#include "platform/posix/ChildProcess.h"

namespace vellumor::backend {
namespace {

std::atomic<pid_t> runningChild{0};

// The scheduler cancels a job by terminating the backend; the conversion must stop with it.
extern "C" void PassOnTermination(int) {
  if (const pid_t child = runningChild.load(); child > 0) {
    ::kill(child, SIGTERM);
  }
}

std::vector<std::string> CleanEnvironment(const JobUser& user) {
  // Only what a login would give: no display (without a session the program runs without
  // windows), nothing of the scheduler's or root's environment.
  return {"HOME=" + user.home, "USER=" + user.name, "LOGNAME=" + user.name, "SHELL=" + user.shell,
          "PATH=/usr/local/bin:/usr/bin:/bin"};
}

// In the child: become the user and start the program. Returns only on failure.
[[noreturn]] void BecomeUserAndStart(const JobRequest& request, char** argv, char** envp) {
  const JobUser& user = request.user;
  const char* failed = nullptr;
  if (request.input != STDIN_FILENO && ::dup2(request.input, STDIN_FILENO) < 0) {
    failed = "standard input";
  } else if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    failed = "standard output";
  } else if (::close_range(3, ~0U, 0) != 0) {
    failed = "closing the scheduler's channels";
  } else if (::initgroups(user.name.c_str(), user.gid) != 0) {
    failed = "initgroups";
  } else if (::setgid(user.gid) != 0) {
    failed = "setgid";
  } else if (::setuid(user.uid) != 0) {
    failed = "setuid";
  } else if (::setuid(0) == 0 || ::geteuid() != user.uid || ::getegid() != user.gid) {
    failed = "dropping root's rights";
  }
  if (failed == nullptr) {
    if (::chdir(user.home.c_str()) != 0 && ::chdir("/") != 0) {
      failed = "chdir";
    } else {
      HandOverToSession(request);
      ::signal(SIGTERM, SIG_DFL);
      ::signal(SIGPIPE, SIG_DFL);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::execve(request.program.c_str(), argv, envp);
      failed = "execve";
    }
  }
  std::fprintf(stderr, "ERROR: cannot start %s as %s (%s: %s)\n", request.program.c_str(), user.name.c_str(), failed,
               std::strerror(errno));
  ::_exit(127);
}

}  // namespace

std::vector<std::string> ProgramArguments(const JobRequest& request) {
  return agent::ProgramArguments(request.program, {request.title, request.printedFile});
}

std::optional<int> RunJob(const JobRequest& request, std::string& error) {
  std::vector<std::string> arguments = ProgramArguments(request);
  std::vector<std::string> environment = CleanEnvironment(request.user);
  std::vector<char*> argv = platform::ArgumentVector(arguments);
  std::vector<char*> envp = platform::ArgumentVector(environment);

  struct sigaction action {};
  action.sa_handler = PassOnTermination;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  // Held back until the child is known, so that a cancellation cannot slip through unseen.
  sigset_t termination;
  sigemptyset(&termination);
  sigaddset(&termination, SIGTERM);
  sigset_t previous;
  ::sigprocmask(SIG_BLOCK, &termination, &previous);

  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    error = std::string{"fork failed: "} + std::strerror(errno);
    return std::nullopt;
  }
  if (child == 0) {
    BecomeUserAndStart(request, argv.data(), envp.data());
  }
  runningChild = child;
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  int status = 0;
  pid_t waited = 0;
  while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  runningChild = 0;
  if (waited < 0) {
    error = std::string{"waiting for the program failed: "} + std::strerror(errno);
    return std::nullopt;
  }
  if (WIFSIGNALED(status)) {
    error = "the program ended by signal " + std::to_string(WTERMSIG(status));
    return std::nullopt;
  }
  return WEXITSTATUS(status);
}

}  // namespace vellumor::backend
