#pragma once
// The printer port's side of the conversation: hands a print job to the session agent of the
// user this process runs as, so the job's windows open on that user's screen, and waits for the
// program the agent started to end. A request to end this process (the job was cancelled) is
// passed on as a cancellation.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "agent/AgentProtocol.h"

namespace vellumor::agent {

enum class SessionResult {
  NoAgent,  // nothing was started: convert without the session
  Ran,      // the program ran in the session and ended as `end` says
  Lost,     // the job was handed over but its end is unknown (`reason` says why)
};

struct SessionRun {
  SessionResult result{SessionResult::NoAgent};
  ProgramEnd end;
  std::string reason;
};

// The agent's socket in the runtime folder of a session.
std::filesystem::path AgentSocket(const std::filesystem::path& runtimeFolder);

// Hands the job to the agent listening at `socket`: `input` becomes the program's standard input
// and `output` its standard output and error. Agents of other users, agents that do not answer
// within `answerTimeout` and agents of another protocol version count as none.
SessionRun RunInSession(const std::filesystem::path& socket, const JobOrder& order, int input, int output,
                        std::chrono::milliseconds answerTimeout = kAnswerTimeout);

}  // namespace vellumor::agent
