#include "agent/SessionAgent.h"

#include <algorithm>
#include <cstdio>

#include "agent/AgentProtocol.h"
#include "platform/TempFolder.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/ServiceProcess.h"

namespace vellumor::agent {
namespace {

using Clock = std::chrono::steady_clock;
using platform::ReceivedMessage;

// A line in the session's log (the agent's standard error): the port is told only a code, the
// user finds the reason here.
void Say(const std::string& text) {
  std::fprintf(stderr, "vellumor: %s\n", text.c_str());
  std::fflush(stderr);
}

std::string JobText(const JobOrder& order) {
  return order.documentName.empty() ? "a printed job" : "the printed job \"" + order.documentName + "\"";
}

}  // namespace

SessionAgent::SessionAgent(platform::LocalSocket listener, ProgramLaunch launch,
                           std::unique_ptr<platform::EventWait> events, std::unique_ptr<platform::RemovalWatch> session,
                           int controlling, AgentLimits limits)
    : listener_{std::move(listener)},
      launch_{std::move(launch)},
      events_{std::move(events)},
      session_{std::move(session)},
      controlling_{controlling},
      limits_{limits} {}

int SessionAgent::Run() {
  while (!ending_) {
    // The order of the descriptors: listener, session, controlling connection, then each
    // connection's socket and the job it is reading.
    std::vector<int> descriptors{listener_ ? listener_->Descriptor() : -1, session_ ? session_->Descriptor() : -1,
                                 controlling_};
    for (const Connection& connection : connections_) {
      descriptors.push_back(connection.closed ? -1 : connection.socket.Descriptor());
      descriptors.push_back(connection.stage == Stage::Taking && !connection.closed ? connection.job.Get() : -1);
    }
    const platform::Events seen = events_->Wait(descriptors, NextDeadline());
    if (seen.endRequested) {
      Stop();
      break;
    }
    if (seen.ready.size() != descriptors.size()) {
      continue;
    }
    if (seen.childEnded) {
      ForgetEnded();
    }
    if (seen.ready[0] && listener_) {
      AcceptWaiting();
    }
    if ((seen.ready[1] && session_->Removed()) || (seen.ready[2] && !platform::DrainInput(controlling_))) {
      Stop();
      break;
    }
    std::size_t index = 3;
    for (auto connection = connections_.begin(); index + 1 < seen.ready.size(); ++connection, index += 2) {
      if (seen.ready[index] && !connection->closed) {
        connection->stage == Stage::Greeted ? TakeRequest(*connection) : FollowPort(*connection);
      }
      if (seen.ready[index + 1] && !connection->closed && connection->stage == Stage::Taking) {
        ReadJob(*connection);
      }
    }
    DropExpired();
    connections_.remove_if([](const Connection& connection) { return connection.closed; });
  }
  return 0;
}

std::optional<std::chrono::milliseconds> SessionAgent::NextDeadline() const {
  std::optional<Clock::time_point> next;
  for (const Connection& connection : connections_) {
    if (connection.stage != Stage::Taking && !connection.closed) {
      next = std::min(next.value_or(connection.deadline), connection.deadline);
    }
  }
  if (!next) {
    return std::nullopt;  // idle, or only jobs being read, which come when they come
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
  return std::max(left, std::chrono::milliseconds{0});
}

void SessionAgent::AcceptWaiting() {
  while (std::optional<platform::LocalSocket> socket = listener_->Accept()) {
    // Another user's process gets no word: jobs, and the fact of a session, are the user's own.
    if (socket->PeerUser() != platform::CurrentUser() || !socket->Send(Encode(Kind::Hello))) {
      continue;
    }
    connections_.push_back(
        Connection{std::move(*socket), Clock::now() + limits_.request, Stage::Greeted, {}, {}, std::nullopt, 0, false});
  }
}

void SessionAgent::TakeRequest(Connection& connection) {
  ReceivedMessage received = connection.socket.Receive(kMaxMessage, kJobFiles, std::chrono::milliseconds{0});
  if (received.kind == ReceivedMessage::Kind::TimedOut) {
    return;
  }
  if (received.kind != ReceivedMessage::Kind::Message) {
    connection.closed = true;
    return;
  }
  if (received.truncated) {
    Refuse(connection, "the request is too large");
    return;
  }
  std::string why;
  const std::optional<Message> message = Decode(received.bytes, why);
  if (!message) {
    Refuse(connection, why);
    return;
  }
  if (message->kind != Kind::Job) {
    Refuse(connection, "a job was expected");
    return;
  }
  if (received.files.size() != kJobFiles) {
    Refuse(connection, "a job comes with one file, the job");
    return;
  }
  const std::optional<JobOrder> order = DecodeJob(message->payload, why);
  if (!order) {
    Refuse(connection, why);
    return;
  }
  connection.order = *order;
  // The job is kept where the program keeps its own files: the folder is private to the user, and
  // the copy has no name there, so it goes with the last process that holds it.
  std::vector<std::string> notices;
  const std::optional<platform::TempFolder> temp =
      platform::TempFolder::Open(platform::TempFolder::DefaultFolder(), why, notices);
  for (const std::string& notice : notices) {
    Say(notice);
  }
  if (temp) {
    connection.copy = platform::HeldCopy::Create(temp->Path(), why);
  }
  if (!connection.copy) {
    Fail(connection, Failure::NotKept, JobText(*order) + " cannot be kept: " + why);
    return;
  }
  connection.job = std::move(received.files[0]);
  connection.stage = Stage::Taking;
  if (!connection.socket.Send(Encode(Kind::Taking))) {
    connection.closed = true;  // the port is gone: its job was cancelled
  }
}

void SessionAgent::Refuse(Connection& connection, const std::string& reason) {
  connection.socket.Send(Encode(Kind::Refused, reason));
  connection.closed = true;
}

void SessionAgent::Fail(Connection& connection, Failure failure, const std::string& reason) {
  if (!reason.empty()) {
    Say(reason);
  }
  connection.socket.Send(Encode(Kind::Failed, EncodeFailure(failure)));
  connection.closed = true;
}

void SessionAgent::ReadJob(Connection& connection) {
  std::string why;
  switch (connection.copy->TakeFrom(connection.job.Get(), why)) {
    case platform::HeldCopy::Step::More:
      return;
    case platform::HeldCopy::Step::Failed:
      Fail(connection, Failure::NotKept, JobText(connection.order) + " cannot be kept: " + why);
      return;
    case platform::HeldCopy::Step::Ended:
      break;
  }
  connection.job.Reset();
  if (connection.copy->Size() == 0) {
    // As on a server: an empty job is no job, and the settings window is not what was printed.
    Fail(connection, Failure::Empty, JobText(connection.order) + " holds no data; nothing was converted");
    return;
  }
  StartProgram(connection);
}

void SessionAgent::StartProgram(Connection& connection) {
  std::string why;
  if (!connection.copy->Rewind()) {
    Fail(connection, Failure::NotKept, JobText(connection.order) + " cannot be read back");
    return;
  }
  // The program's messages go where the agent's own go: the session's log.
  const platform::ChildLaunch launch{launch_.program,
                                     ProgramArguments(launch_.program, connection.order),
                                     launch_.environment,
                                     launch_.workingFolder,
                                     connection.copy->Descriptor(),
                                     -1};
  const std::optional<int> program = platform::StartChild(launch, why);
  connection.copy.reset();  // the program holds the job now
  if (!program) {
    Fail(connection, Failure::NotStarted, JobText(connection.order) + ": " + why);
    return;
  }
  connection.program = *program;
  connection.stage = Stage::Started;
  connection.deadline = Clock::now() + limits_.request;
  if (!connection.socket.Send(Encode(Kind::Started, std::to_string(*program)))) {
    // The port went away before it could know: its job was cancelled.
    platform::StopChild(connection.program, false);
    connection.closed = true;
  }
}

void SessionAgent::FollowPort(Connection& connection) {
  const ReceivedMessage received = connection.socket.Receive(kMaxMessage, 0, std::chrono::milliseconds{0});
  if (received.kind == ReceivedMessage::Kind::TimedOut) {
    return;
  }
  std::string ignored;
  const std::optional<Message> message =
      received.kind == ReceivedMessage::Kind::Message ? Decode(received.bytes, ignored) : std::nullopt;
  const bool cancelled = message && message->kind == Kind::Cancel;
  if (connection.stage == Stage::Taking) {
    // Whatever the port says or does now, the job is not to be converted.
    connection.closed = true;
    return;
  }
  if (cancelled) {
    // The cancellation crossed the start: the port has not handed the job over, so its window goes.
    platform::StopChild(connection.program, false);
  }
  // The port lets go (or cancelled): the program is the session's now.
  connection.closed = received.kind != ReceivedMessage::Kind::Message || cancelled || connection.closed;
}

void SessionAgent::ForgetEnded() {
  for (const platform::ChildEnd& ended : platform::CollectEndedChildren()) {
    for (Connection& connection : connections_) {
      if (connection.program == ended.process) {
        connection.program = 0;  // never signal a process id that may be reused
      }
    }
  }
}

void SessionAgent::DropExpired() {
  const Clock::time_point now = Clock::now();
  for (Connection& connection : connections_) {
    if (connection.closed || connection.stage == Stage::Taking || now < connection.deadline) {
      continue;
    }
    if (connection.stage == Stage::Greeted) {
      Refuse(connection, "no job came in time");
    } else {
      connection.closed = true;  // a port that holds on after the start only loses its last say
    }
  }
}

void SessionAgent::Stop() {
  ending_ = true;
  // From now on the port finds no agent and converts without the session.
  listener_->RemoveSocketFile();
  listener_.reset();
  for (Connection& connection : connections_) {
    if (connection.stage == Stage::Taking && !connection.closed) {
      Fail(connection, Failure::Ending, "");
    }
    connection.closed = true;
  }
}

}  // namespace vellumor::agent
