#pragma once
// The printer port's side of the conversation: hands a print job to the session agent of the
// job's user, so the job's windows open on that user's screen, and waits until the agent holds
// the whole job and has started the program with it; the job is then the session's. Until then a
// request to end (the job was cancelled) or the end of the time the job may take cancels it in the
// agent too. Nothing the agent says is passed on: the outcome is one of a few the port words itself.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "agent/AgentProtocol.h"
#include "platform/posix/EventWait.h"
#include "platform/posix/LocalSocket.h"

namespace vellumor::agent {

enum class HandOverResult {
  NoAgent,     // nothing left the port: convert without the session
  HandedOver,  // the program runs in the session with the whole job
  NotTaken,    // the job went to the agent but no program was started with it (`reason` says why)
  Cancelled,   // a request to end came first; the agent was told to drop the job
  TimedOut,    // the time the job may take passed first; the agent was told to drop the job
};

struct HandOver {
  HandOverResult result{HandOverResult::NoAgent};
  std::string reason;  // one of this side's own texts
  int program{0};      // the program's process id, once handed over
};

// The agent's socket in the runtime folder of a session.
std::filesystem::path AgentSocket(const std::filesystem::path& runtimeFolder);

// Hands the job to the agent at the other end of `agent`, which must run as `user`: `input` becomes
// the program's standard input. The agent has `answerTimeout` for each of its first two answers
// (the greeting, and taking the job), then as long as reading the job takes, until `giveUpAt`.
// `events` is watched for requests to end throughout.
HandOver HandOverJob(platform::LocalSocket& agent, std::uint32_t user, const JobOrder& order, int input,
                     platform::EventWait& events, std::optional<std::chrono::steady_clock::time_point> giveUpAt,
                     std::chrono::milliseconds answerTimeout = kAnswerTimeout);

}  // namespace vellumor::agent
