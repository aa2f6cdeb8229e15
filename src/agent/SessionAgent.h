#pragma once
// The session agent: serves the printer's port for one user's graphical session. For each job
// handed over it reads the whole job into a file of its own in the user's temporary folder, then
// starts the program in the session with it (so the job's windows open on the user's screen) and
// tells the port so: from then on the program is the session's, lives on by itself and tells the
// user in its windows how it ends, and the port's job is over. Connections of other users are
// dropped unanswered; requests that make no sense are refused without disturbing other jobs; a job
// whose data stalls holds up no other. It is idle between jobs.

#include <chrono>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agent/AgentProtocol.h"
#include "platform/posix/HeldCopy.h"
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
  // For a job request after the greeting, and for the port to let go once its job was started.
  std::chrono::milliseconds request{2000};
};

class SessionAgent final {
 public:
  // `session` tells when the session has gone; `controlling` (or -1) is a connection whose end
  // ends the agent.
  SessionAgent(platform::LocalSocket listener, ProgramLaunch launch, std::unique_ptr<platform::EventWait> events,
               std::unique_ptr<platform::RemovalWatch> session, int controlling, AgentLimits limits = {});
  SessionAgent(const SessionAgent&) = delete;
  SessionAgent& operator=(const SessionAgent&) = delete;

  // Serves until the session ends or the agent is asked to end; the exit status. Jobs not yet
  // handed over then fail; programs already started live on.
  int Run();

 private:
  enum class Stage {
    Greeted,  // waiting for the port's request
    Taking,   // reading the job
    Started,  // the program runs; the port may still cancel until it lets go
  };
  struct Connection {
    platform::LocalSocket socket;
    std::chrono::steady_clock::time_point deadline;  // for the request, or for the port to let go
    Stage stage{Stage::Greeted};
    JobOrder order;
    platform::OwnedFile job;                 // the port's job, while it is read
    std::optional<platform::HeldCopy> copy;  // what has been read of it
    int program{0};
    bool closed{false};
  };

  std::optional<std::chrono::milliseconds> NextDeadline() const;
  void AcceptWaiting();
  void TakeRequest(Connection& connection);
  void Refuse(Connection& connection, const std::string& reason);
  void Fail(Connection& connection, Failure failure, const std::string& reason);
  void ReadJob(Connection& connection);
  void StartProgram(Connection& connection);
  void FollowPort(Connection& connection);
  void ForgetEnded();
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
};

}  // namespace vellumor::agent
