#include "agent/SessionAgent.h"

#include <algorithm>

#include "agent/AgentProtocol.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/ServiceProcess.h"

namespace vellumor::agent {
namespace {

using Clock = std::chrono::steady_clock;
using platform::ReceivedMessage;

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
  while (!ending_ || !connections_.empty()) {
    // The order of the descriptors: listener, session, controlling connection, then connections.
    std::vector<int> descriptors{listener_ ? listener_->Descriptor() : -1, session_ ? session_->Descriptor() : -1,
                                 controlling_};
    for (const Connection& connection : connections_) {
      descriptors.push_back(connection.closed ? -1 : connection.socket.Descriptor());
    }
    const platform::Events seen = events_->Wait(descriptors, NextDeadline());
    if (seen.endRequested) {
      Stop();
    }
    if (seen.ready.size() != descriptors.size()) {
      continue;
    }
    if (seen.ready[0] && listener_) {
      AcceptWaiting();
    }
    if (seen.ready[1] && session_->Removed()) {
      Stop();
    }
    if (seen.ready[2] && !platform::DrainInput(controlling_)) {
      controlling_ = -1;
      Stop();
    }
    std::size_t index = 3;
    for (auto connection = connections_.begin(); index < seen.ready.size(); ++connection, ++index) {
      if (seen.ready[index] && !connection->closed) {
        connection->program == 0 ? TakeRequest(*connection) : FollowRun(*connection);
      }
    }
    if (seen.childEnded) {
      ReportEnded();
    }
    DropExpired();
    connections_.remove_if([](const Connection& connection) { return connection.closed && connection.program == 0; });
  }
  return 0;
}

std::optional<std::chrono::milliseconds> SessionAgent::NextDeadline() const {
  std::optional<Clock::time_point> next;
  for (const Connection& connection : connections_) {
    if (connection.program == 0 && !connection.closed) {
      next = std::min(next.value_or(connection.deadline), connection.deadline);
    }
  }
  if (ending_ && !killed_ && !connections_.empty()) {
    next = std::min(next.value_or(stopBy_), stopBy_);
  }
  if (!next) {
    return std::nullopt;  // idle: nothing to time
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
    connections_.push_back(Connection{std::move(*socket), Clock::now() + limits_.request});
  }
}

void SessionAgent::TakeRequest(Connection& connection) {
  const ReceivedMessage received = connection.socket.Receive(kMaxMessage, kJobFiles, std::chrono::milliseconds{0});
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
    Refuse(connection, "a job comes with two files, the job and where messages go");
    return;
  }
  const std::optional<JobOrder> order = DecodeJob(message->payload, why);
  if (!order) {
    Refuse(connection, why);
    return;
  }
  const platform::ChildLaunch launch{launch_.program,         ProgramArguments(launch_.program, *order),
                                     launch_.environment,     launch_.workingFolder,
                                     received.files[0].Get(), received.files[1].Get()};
  const std::optional<int> program = platform::StartChild(launch, why);
  if (!program) {
    Refuse(connection, why);
    return;
  }
  connection.program = *program;
  if (!connection.socket.Send(Encode(Kind::Started, std::to_string(*program)))) {
    connection.closed = true;
    Cancel(connection);
  }
}

void SessionAgent::Refuse(Connection& connection, const std::string& reason) {
  connection.socket.Send(Encode(Kind::Refused, reason));
  connection.closed = true;
}

void SessionAgent::FollowRun(Connection& connection) {
  const ReceivedMessage received = connection.socket.Receive(kMaxMessage, 0, std::chrono::milliseconds{0});
  if (received.kind == ReceivedMessage::Kind::TimedOut) {
    return;
  }
  std::string ignored;
  const std::optional<Message> message =
      received.kind == ReceivedMessage::Kind::Message ? Decode(received.bytes, ignored) : std::nullopt;
  if (received.kind != ReceivedMessage::Kind::Message) {
    // The port is gone: its job was cancelled, and nobody is left to report to.
    connection.closed = true;
    Cancel(connection);
  } else if (message && message->kind == Kind::Cancel) {
    Cancel(connection);
  }
}

void SessionAgent::Cancel(Connection& connection) {
  if (!connection.cancelled) {
    connection.cancelled = true;
    platform::StopChild(connection.program, false);
  }
}

void SessionAgent::ReportEnded() {
  for (const platform::ChildEnd& ended : platform::CollectEndedChildren()) {
    const auto connection = std::find_if(connections_.begin(), connections_.end(),
                                         [&](const Connection& each) { return each.program == ended.process; });
    if (connection == connections_.end()) {
      continue;
    }
    if (!connection->closed) {
      connection->socket.Send(Encode(Kind::Ended, EncodeEnd({ended.signalled, ended.code, connection->cancelled})));
    }
    connection->program = 0;
    connection->closed = true;
  }
}

void SessionAgent::DropExpired() {
  const Clock::time_point now = Clock::now();
  for (Connection& connection : connections_) {
    if (connection.program == 0 && !connection.closed && now >= connection.deadline) {
      Refuse(connection, "no job came in time");
    }
    if (ending_ && now >= stopBy_ && connection.program != 0 && !killed_) {
      platform::StopChild(connection.program, true);
    }
  }
  killed_ = killed_ || (ending_ && now >= stopBy_);
}

void SessionAgent::Stop() {
  if (ending_) {
    return;
  }
  ending_ = true;
  stopBy_ = Clock::now() + limits_.stopping;
  // From now on the port finds no agent and converts without the session.
  listener_->RemoveSocketFile();
  listener_.reset();
  for (Connection& connection : connections_) {
    if (connection.program != 0) {
      Cancel(connection);
    } else {
      connection.closed = true;
    }
  }
}

}  // namespace vellumor::agent
