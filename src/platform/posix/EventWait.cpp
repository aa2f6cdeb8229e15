#include "platform/posix/EventWait.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vellumor::platform {
namespace {

sigset_t TakenSignals() {
  sigset_t taken;
  sigemptyset(&taken);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) {
    sigaddset(&taken, signal);
  }
  return taken;
}

}  // namespace

struct EventWait::HeldBefore {
  sigset_t signals;
};

EventWait::EventWait(OwnedFile signals, std::unique_ptr<HeldBefore> before)
    : signals_{std::move(signals)}, before_{std::move(before)} {}

std::unique_ptr<EventWait> EventWait::Create(std::string& error) {
  const sigset_t taken = TakenSignals();
  auto before = std::make_unique<HeldBefore>();
  // Held back first: a signal that comes before the descriptor exists waits for it.
  if (::sigprocmask(SIG_BLOCK, &taken, &before->signals) != 0) {
    error = std::string{"cannot hold signals back: "} + std::strerror(errno);
    return nullptr;
  }
  OwnedFile signals{::signalfd(-1, &taken, SFD_CLOEXEC | SFD_NONBLOCK)};
  if (!signals.Valid()) {
    error = std::string{"signalfd: "} + std::strerror(errno);
    ::sigprocmask(SIG_SETMASK, &before->signals, nullptr);
    return nullptr;
  }
  return std::unique_ptr<EventWait>{new EventWait{std::move(signals), std::move(before)}};
}

EventWait::~EventWait() {
  signals_.Reset();
  // A signal that came after the last wait is handled now, the usual way.
  ::sigprocmask(SIG_SETMASK, &before_->signals, nullptr);
}

Events EventWait::Wait(const std::vector<int>& descriptors, std::optional<std::chrono::milliseconds> timeout) {
  std::vector<pollfd> waits;
  for (const int descriptor : descriptors) {
    waits.push_back({descriptor, POLLIN, 0});
  }
  waits.push_back({signals_.Get(), POLLIN, 0});
  Events events;
  events.ready.assign(descriptors.size(), false);
  const int ready = ::poll(waits.data(), waits.size(), timeout ? static_cast<int>(timeout->count()) : -1);
  if (ready == 0) {
    events.timedOut = true;
    return events;
  }
  if (ready < 0) {
    return events;  // interrupted: the caller looks again
  }
  for (std::size_t index = 0; index < descriptors.size(); ++index) {
    events.ready[index] = waits[index].revents != 0;
  }
  signalfd_siginfo info{};
  while (::read(signals_.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    if (info.ssi_signo == SIGCHLD) {
      events.childEnded = true;
    } else {
      events.endRequested = true;
    }
  }
  return events;
}

}  // namespace vellumor::platform
