#include "backend/SessionHandOver.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "agent/AgentClient.h"

namespace vellumor::backend {
namespace {

// Ends this process the way the program ended, so the backend reports both paths alike.
[[noreturn]] void EndAs(const agent::ProgramEnd& end) {
  if (end.signalled) {
    ::signal(end.code, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, end.code);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(end.code);
  }
  ::_exit(end.signalled ? 128 + end.code : end.code);
}

}  // namespace

std::filesystem::path UserRuntimeFolder(uid_t uid) {
  const char* root = std::getenv("VELLUMOR_RUNTIME_ROOT");
  return std::filesystem::path{root != nullptr && *root == '/' ? root : "/run/user"} / std::to_string(uid);
}

void HandOverToSession(const JobRequest& request) {
  const std::filesystem::path socket = agent::AgentSocket(UserRuntimeFolder(request.user.uid));
  const agent::SessionRun run =
      agent::RunInSession(socket, {request.title, request.printedFile}, STDIN_FILENO, STDERR_FILENO);
  switch (run.result) {
    case agent::SessionResult::NoAgent:
      std::fprintf(stderr, "DEBUG: converting without a session (%s)\n", run.reason.c_str());
      return;
    case agent::SessionResult::Lost:
      std::fprintf(stderr, "ERROR: the job for %s in the session: %s\n", request.user.name.c_str(), run.reason.c_str());
      std::fflush(stderr);
      ::_exit(1);
    case agent::SessionResult::Ran:
      EndAs(run.end);
  }
  ::_exit(1);
}

}  // namespace vellumor::backend
