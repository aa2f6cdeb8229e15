#pragma once
// The session agent: serves the printer's port for one user's graphical session. For each job
// handed over it starts the program in the session (so the job's windows open on the user's
// screen) with the job as standard input, and reports back how the program ended. Connections
// of other users are dropped unanswered; requests that make no sense are refused without
// disturbing the jobs that run. It is idle between jobs.

#include <chrono>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/EventWait.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/RemovalWatch.h"

namespace vellumor::agent {

// How the program is started for a job.
struct ProgramLaunch {
  std::filesystem::path program;
  std::vector<std::string> environment;  // the session's, as the agent found it
  std::filesystem::path workingFolder;
};

struct AgentLimits {
  std::chrono::milliseconds request{2000};   // for a job request after the greeting
  std::chrono::milliseconds stopping{5000};  // for programs to end after being asked, at the end
};

class SessionAgent final {
 public:
  // `session` tells when the session has gone; `controlling` (or -1) is a connection whose end
  // ends the agent.
  SessionAgent(platform::LocalSocket listener, ProgramLaunch launch, std::unique_ptr<platform::EventWait> events,
               std::unique_ptr<platform::RemovalWatch> session, int controlling, AgentLimits limits = {});
  SessionAgent(const SessionAgent&) = delete;
  SessionAgent& operator=(const SessionAgent&) = delete;

  // Serves until the session ends or the agent is asked to end; the exit status.
  int Run();

 private:
  struct Connection {
    platform::LocalSocket socket;
    std::chrono::steady_clock::time_point deadline;  // for the request, while there is no program
    int program{0};
    bool cancelled{false};
    bool closed{false};
  };

  std::optional<std::chrono::milliseconds> NextDeadline() const;
  void AcceptWaiting();
  void TakeRequest(Connection& connection);
  void Refuse(Connection& connection, const std::string& reason);
  void FollowRun(Connection& connection);
  void Cancel(Connection& connection);
  void ReportEnded();
  void DropExpired();
  void Stop();

  std::optional<platform::LocalSocket> listener_;
  ProgramLaunch launch_;
  std::unique_ptr<platform::EventWait> events_;
  std::unique_ptr<platform::RemovalWatch> session_;
  int controlling_;
  AgentLimits limits_;
  std::list<Connection> connections_;
  bool ending_{false};
  std::chrono::steady_clock::time_point stopBy_;  // when programs still running are ended at once
  bool killed_{false};
};

}  // namespace vellumor::agent
