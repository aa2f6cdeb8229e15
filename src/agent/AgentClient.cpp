#include "agent/AgentClient.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/posix/EventWait.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/ServiceProcess.h"

namespace vellumor::agent {
namespace {

using Clock = std::chrono::steady_clock;
using platform::ReceivedMessage;

HandOver Result(HandOverResult result, std::string reason) {
  return {result, std::move(reason), 0};
}

// Why no program was started, in this side's words.
std::string FailureText(Failure failure) {
  switch (failure) {
    case Failure::Empty:
      return "the job holds no data";
    case Failure::NotKept:
      return "the session could not keep the job (its log says why)";
    case Failure::NotStarted:
      return "the session could not start the program (its log says why)";
    case Failure::Cancelled:
      return "the session dropped the job";
    case Failure::Ending:
      return "the session ended before the job was handed over";
  }
  return "";
}

// What happened while waiting for the agent's next message.
struct Answer {
  enum class Kind { Message, Nonsense, EndRequested, GaveUp, AnswerLate, Gone } kind{Kind::Gone};
  Message message;
};

// The agent's next message, waiting at most until `answerBy` (when set) and `giveUpAt`.
Answer NextAnswer(platform::LocalSocket& agent, platform::EventWait& events, std::optional<Clock::time_point> answerBy,
                  std::optional<Clock::time_point> giveUpAt) {
  for (;;) {
    std::optional<Clock::time_point> until = answerBy;
    if (giveUpAt) {
      until = std::min(until.value_or(*giveUpAt), *giveUpAt);
    }
    std::optional<std::chrono::milliseconds> wait;
    if (until) {
      wait =
          std::max(std::chrono::milliseconds{0}, std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()));
    }
    const platform::Events seen = events.Wait({agent.Descriptor()}, wait);
    if (seen.endRequested) {
      return {Answer::Kind::EndRequested, {}};
    }
    if (seen.ready.empty() || !seen.ready[0]) {
      const Clock::time_point now = Clock::now();
      if (giveUpAt && now >= *giveUpAt) {
        return {Answer::Kind::GaveUp, {}};
      }
      if (answerBy && now >= *answerBy) {
        return {Answer::Kind::AnswerLate, {}};
      }
      continue;
    }
    // Files the other end sends along are closed unread.
    const ReceivedMessage received = agent.Receive(kMaxMessage, 0, std::chrono::milliseconds{0});
    if (received.kind == ReceivedMessage::Kind::TimedOut) {
      continue;
    }
    if (received.kind != ReceivedMessage::Kind::Message) {
      return {Answer::Kind::Gone, {}};
    }
    std::string ignored;
    const std::optional<Message> message = received.truncated ? std::nullopt : Decode(received.bytes, ignored);
    return message ? Answer{Answer::Kind::Message, *message} : Answer{Answer::Kind::Nonsense, {}};
  }
}

}  // namespace

std::filesystem::path AgentSocket(const std::filesystem::path& runtimeFolder) {
  return runtimeFolder / kSocketName;
}

HandOver HandOverJob(platform::LocalSocket& agent, std::uint32_t user, const JobOrder& order, int input,
                     platform::EventWait& events, std::optional<Clock::time_point> giveUpAt,
                     std::chrono::milliseconds answerTimeout) {
  if (std::string problem = JobOrderProblem(order); !problem.empty()) {
    return Result(HandOverResult::NoAgent, problem);
  }
  // The job must never reach a process of another user, whatever the runtime folder lets in.
  if (agent.PeerUser() != user) {
    return Result(HandOverResult::NoAgent, "the socket belongs to another user");
  }
  Answer hello = NextAnswer(agent, events, Clock::now() + answerTimeout, giveUpAt);
  switch (hello.kind) {
    case Answer::Kind::EndRequested:
      return Result(HandOverResult::Cancelled, "");
    case Answer::Kind::GaveUp:
      return Result(HandOverResult::TimedOut, "");
    case Answer::Kind::Message:
      if (hello.message.kind == Kind::Hello) {
        break;
      }
      [[fallthrough]];
    case Answer::Kind::Nonsense:
    case Answer::Kind::AnswerLate:
    case Answer::Kind::Gone:
      return Result(HandOverResult::NoAgent, "no session agent greeted in time");
  }
  if (!agent.Send(Encode(Kind::Job, EncodeJob(order)), {input})) {
    return Result(HandOverResult::NoAgent, "the session agent did not take the request");
  }
  // From here on the job may have been read: whatever happens, it is not converted a second time.
  bool taking = false;
  for (;;) {
    const Answer answer =
        NextAnswer(agent, events, taking ? std::nullopt : std::optional{Clock::now() + answerTimeout}, giveUpAt);
    switch (answer.kind) {
      case Answer::Kind::EndRequested:
      case Answer::Kind::GaveUp:
        // The port does not wait for an answer: a listener that never answers cannot hold it.
        agent.Send(Encode(Kind::Cancel));
        return Result(answer.kind == Answer::Kind::GaveUp ? HandOverResult::TimedOut : HandOverResult::Cancelled, "");
      case Answer::Kind::AnswerLate:
        agent.Send(Encode(Kind::Cancel));
        return Result(HandOverResult::NotTaken, "the session agent did not take the job in time");
      case Answer::Kind::Gone:
        return Result(HandOverResult::NotTaken,
                      "the session agent ended the conversation before the job was handed over");
      case Answer::Kind::Nonsense:
      case Answer::Kind::Message:
        break;
    }
    if (answer.kind == Answer::Kind::Message) {
      const Message& message = answer.message;
      if (message.kind == Kind::Taking && !taking) {
        taking = true;
        continue;
      }
      if (message.kind == Kind::Started && taking) {
        if (const std::optional<int> program = DecodeProcess(message.payload)) {
          return {HandOverResult::HandedOver, "", *program};
        }
      } else if (message.kind == Kind::Failed) {
        if (const std::optional<Failure> failure = DecodeFailure(message.payload)) {
          return Result(HandOverResult::NotTaken, FailureText(*failure));
        }
      } else if (message.kind == Kind::Refused) {
        return Result(HandOverResult::NotTaken, "the session agent refused the job");
      }
    }
    agent.Send(Encode(Kind::Cancel));
    return Result(HandOverResult::NotTaken, "the answer of the session agent made no sense");
  }
}

}  // namespace vellumor::agent
