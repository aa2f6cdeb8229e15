#include "backend/JobRun.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "agent/AgentProtocol.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/EventWait.h"
#include "platform/posix/OwnedFile.h"
#include "backend/SchedulerChannel.h"
#include "backend/SessionHandOver.h"

namespace vellumor::backend {
namespace {

using Clock = std::chrono::steady_clock;

// How long a cancelled program has to end by itself (it removes its files first) before it is
// ended at once: the program needs well under this, so only a program that hangs is killed.
constexpr std::chrono::seconds kEndingGrace{5};

std::vector<std::string> CleanEnvironment(const JobUser& user) {
  // Only what a login would give: no display (without a session the program runs without
  // windows), nothing of the scheduler's or root's environment.
  return {"HOME=" + user.home, "USER=" + user.name, "LOGNAME=" + user.name, "SHELL=" + user.shell,
          "PATH=/usr/local/bin:/usr/bin:/bin"};
}

// In the child: become the user and start the program, its output going to `output`. Returns
// only on failure.
[[noreturn]] void BecomeUserAndStart(const JobRequest& request, int output, char** argv, char** envp) {
  const JobUser& user = request.user;
  const char* failed = nullptr;
  if (request.input != STDIN_FILENO && ::dup2(request.input, STDIN_FILENO) < 0) {
    failed = "standard input";
  } else if (::dup2(output, STDOUT_FILENO) < 0 || ::dup2(output, STDERR_FILENO) < 0) {
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
  } else if (::chdir(user.home.c_str()) != 0 && ::chdir("/") != 0) {
    failed = "chdir";
  }
  if (failed == nullptr) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(request.program.c_str(), argv, envp);
    failed = "execve";
  }
  // Read by the backend as the program's output, and passed on as such.
  std::fprintf(stderr, "cannot start %s as %s (%s: %s)\n", request.program.c_str(), user.name.c_str(), failed,
               std::strerror(errno));
  ::_exit(127);
}

std::string JobName(const JobRequest& request) {
  return "job " + request.id + " for " + request.user.name;
}

std::string TimeLimitText(const JobRequest& request) {
  return "stopped at the printer's time limit of " +
         std::to_string(request.timeLimit.value_or(std::chrono::seconds{0}).count()) + " s";
}

// Why a stopped program was stopped.
enum class Stop { None, Cancelled, TimeLimit };

// Converts without the session: the program as the user, its output passed on as log lines,
// waited for until it ends, stopped when the job is cancelled or runs past its time limit.
bool RunUnattended(const JobRequest& request, platform::EventWait& events, std::optional<Clock::time_point> giveUpAt) {
  std::vector<std::string> arguments = ProgramArguments(request);
  std::vector<std::string> environment = CleanEnvironment(request.user);
  std::vector<char*> argv = platform::ArgumentVector(arguments);
  std::vector<char*> envp = platform::ArgumentVector(environment);
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) {
    Report(LineKind::Error, JobName(request) + ": no pipe for the program's messages: " + std::strerror(errno));
    return false;
  }
  platform::OwnedFile messages{pipe[0]};
  platform::OwnedFile childEnd{pipe[1]};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    Report(LineKind::Error, JobName(request) + ": fork failed: " + std::strerror(errno));
    return false;
  }
  if (child == 0) {
    BecomeUserAndStart(request, childEnd.Get(), argv.data(), envp.data());
  }
  childEnd.Reset();

  OutputRelay relay;
  Stop stop = Stop::None;
  std::optional<Clock::time_point> killAt;
  std::optional<int> status;
  while (!status) {
    std::optional<Clock::time_point> until = killAt ? killAt : stop == Stop::None ? giveUpAt : std::nullopt;
    std::optional<std::chrono::milliseconds> wait;
    if (until) {
      wait =
          std::max(std::chrono::milliseconds{0}, std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()));
    }
    const platform::Events seen = events.Wait({messages.Get()}, wait);
    if (!seen.ready.empty() && seen.ready[0]) {
      char buffer[4096];
      const ssize_t count = ::read(messages.Get(), buffer, sizeof buffer);
      if (count > 0) {
        relay.Take({buffer, static_cast<std::size_t>(count)});
      } else if (count == 0 || errno != EINTR) {
        messages.Reset();  // every writer is gone
      }
    }
    const bool pastLimit = stop == Stop::None && giveUpAt && Clock::now() >= *giveUpAt;
    if ((seen.endRequested || pastLimit) && stop == Stop::None) {
      // As the scheduler cancels the backend, the backend cancels the program.
      stop = seen.endRequested ? Stop::Cancelled : Stop::TimeLimit;
      ::kill(child, SIGTERM);
      killAt = Clock::now() + kEndingGrace;
    } else if (killAt && Clock::now() >= *killAt) {
      ::kill(child, SIGKILL);
      killAt.reset();
    }
    int raw = 0;
    if (::waitpid(child, &raw, WNOHANG) == child) {
      status = raw;
    }
  }
  // What the program wrote last, but without waiting for any process it left behind.
  if (messages.Valid()) {
    ::fcntl(messages.Get(), F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t count = 0; (count = ::read(messages.Get(), buffer, sizeof buffer)) > 0;) {
      relay.Take({buffer, static_cast<std::size_t>(count)});
    }
  }
  relay.Finish();

  const std::string name = JobName(request);
  if (WIFEXITED(*status) && WEXITSTATUS(*status) == 0) {
    if (stop != Stop::None) {
      Report(LineKind::Info, name + ": the PDF was written before the job was stopped");
    }
    return true;
  }
  std::string why = stop == Stop::Cancelled ? "cancelled" : stop == Stop::TimeLimit ? TimeLimitText(request) : "";
  if (WIFSIGNALED(*status)) {
    // Ended from outside before it could say: the PDF may or may not have been put in place.
    why += (why.empty() ? "" : "; ") + std::string{"the program ended by signal "} + std::to_string(WTERMSIG(*status)) +
           " before it reported whether the PDF was written";
  } else {
    why += (why.empty() ? "" : "; ") + request.program.string() + " ended with status " +
           std::to_string(WEXITSTATUS(*status)) + "; no PDF was written";
  }
  Report(stop == Stop::Cancelled ? LineKind::Info : LineKind::Error, name + ": " + why);
  return false;
}

}  // namespace

std::vector<std::string> ProgramArguments(const JobRequest& request) {
  return agent::ProgramArguments(request.program, {request.title, request.printedFile});
}

bool RunJob(const JobRequest& request) {
  // From here on a cancellation is an event of this process, never missed between two steps.
  std::string error;
  const std::unique_ptr<platform::EventWait> events = platform::EventWait::Create(error);
  if (!events) {
    Report(LineKind::Error, JobName(request) + ": " + error);
    return false;
  }
  std::optional<Clock::time_point> giveUpAt;
  if (request.timeLimit) {
    giveUpAt = Clock::now() + *request.timeLimit;
  }
  const agent::HandOver session = HandToSession(request, *events, giveUpAt);
  const std::string name = JobName(request);
  switch (session.result) {
    case agent::HandOverResult::NoAgent:
      Report(LineKind::Debug, "converting without a session (" + session.reason + ")");
      return RunUnattended(request, *events, giveUpAt);
    case agent::HandOverResult::HandedOver:
      Report(LineKind::Info, name + ": handed to the desktop session of " + request.user.name + " (process " +
                                 std::to_string(session.program) + "), whose window shows how it ends");
      return true;
    case agent::HandOverResult::NotTaken:
      Report(LineKind::Error, name + ": " + session.reason + "; no PDF was written");
      return false;
    case agent::HandOverResult::Cancelled:
      Report(LineKind::Info, name + ": cancelled before it reached the desktop session; no PDF was written");
      return false;
    case agent::HandOverResult::TimedOut:
      Report(LineKind::Error,
             name + ": " + TimeLimitText(request) + " before it reached the desktop session; no PDF was written");
      return false;
  }
  return false;
}

}  // namespace vellumor::backend
