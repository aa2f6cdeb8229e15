#include "agent/AgentClient.h"

#include <memory>
#include <optional>

#include "platform/posix/EventWait.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/ServiceProcess.h"

namespace vellumor::agent {
namespace {

using platform::ReceivedMessage;

SessionRun NoAgent(std::string reason) {
  return {SessionResult::NoAgent, {}, std::move(reason)};
}

SessionRun Lost(std::string reason) {
  return {SessionResult::Lost, {}, std::move(reason)};
}

// The next message of the agent; nothing, with the reason, when none came or it made no sense.
std::optional<Message> Next(platform::LocalSocket& agent, std::optional<std::chrono::milliseconds> timeout,
                            std::string& why) {
  const ReceivedMessage received = agent.Receive(kMaxMessage, 0, timeout);
  switch (received.kind) {
    case ReceivedMessage::Kind::Message:
      if (received.truncated) {
        why = "the session agent sent an oversized message";
        return std::nullopt;
      }
      return Decode(received.bytes, why);
    case ReceivedMessage::Kind::TimedOut:
      why = "the session agent did not answer in time";
      return std::nullopt;
    case ReceivedMessage::Kind::Closed:
    case ReceivedMessage::Kind::Failed:
      break;
  }
  why = "the session agent closed the connection";
  return std::nullopt;
}

// After the job was handed over: waits for its end, passing a cancellation on. Until the agent
// confirms the start, it has `answerTimeout` to do so.
SessionRun AwaitEnd(platform::LocalSocket& agent, platform::EventWait& events,
                    std::chrono::milliseconds answerTimeout) {
  bool started = false;
  bool cancelSent = false;
  const auto confirmBy = std::chrono::steady_clock::now() + answerTimeout;
  for (;;) {
    std::optional<std::chrono::milliseconds> wait;
    if (!started) {
      wait =
          std::max(std::chrono::milliseconds{0},
                   std::chrono::duration_cast<std::chrono::milliseconds>(confirmBy - std::chrono::steady_clock::now()));
    }
    const platform::Events seen = events.Wait({agent.Descriptor()}, wait);
    if (seen.endRequested && !cancelSent) {
      cancelSent = true;
      if (!agent.Send(Encode(Kind::Cancel))) {
        return Lost("the job was cancelled and the session agent is gone");
      }
    }
    if (seen.timedOut) {
      return Lost("the session agent did not confirm the start of the job");
    }
    if (seen.ready.empty() || !seen.ready[0]) {
      continue;
    }
    std::string why;
    const std::optional<Message> message = Next(agent, std::chrono::milliseconds{0}, why);
    if (!message) {
      return Lost(why + " before the job ended");
    }
    if (message->kind == Kind::Refused && !started) {
      // Nothing was started; a job cancelled meanwhile must not be converted after all.
      return cancelSent ? Lost("the job was cancelled")
                        : NoAgent("the session agent refused the job: " + message->payload);
    }
    if (message->kind == Kind::Started) {
      started = true;
    } else if (message->kind == Kind::Ended) {
      if (const std::optional<ProgramEnd> end = DecodeEnd(message->payload)) {
        return {SessionResult::Ran, *end, ""};
      }
      return Lost("the session agent reported an unreadable end");
    }
  }
}

}  // namespace

std::filesystem::path AgentSocket(const std::filesystem::path& runtimeFolder) {
  return runtimeFolder / kSocketName;
}

SessionRun RunInSession(const std::filesystem::path& socket, const JobOrder& order, int input, int output,
                        std::chrono::milliseconds answerTimeout) {
  if (std::string problem = JobOrderProblem(order); !problem.empty()) {
    return NoAgent(problem);
  }
  std::string error;
  std::optional<platform::LocalSocket> agent = platform::LocalSocket::Connect(socket, answerTimeout, error);
  if (!agent) {
    return NoAgent(error);
  }
  // The job must never reach a process of another user, whatever the runtime folder lets in.
  if (agent->PeerUser() != platform::CurrentUser()) {
    return NoAgent(socket.string() + " belongs to another user");
  }
  std::string why;
  const std::optional<Message> hello = Next(*agent, answerTimeout, why);
  if (!hello || hello->kind != Kind::Hello) {
    return NoAgent(hello ? "the session agent did not greet" : why);
  }
  // Taken over before the job leaves, so that a cancellation from then on is never missed.
  std::unique_ptr<platform::EventWait> events = platform::EventWait::Create(error);
  if (!events) {
    return NoAgent(error);
  }
  if (!agent->Send(Encode(Kind::Job, EncodeJob(order)), {input, output})) {
    return NoAgent("the session agent did not take the job");
  }
  return AwaitEnd(*agent, *events, answerTimeout);
}

}  // namespace vellumor::agent
