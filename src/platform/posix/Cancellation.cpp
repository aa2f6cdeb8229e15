#include "platform/Cancellation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace vellumor::platform {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Shared with the signal handler, which may touch nothing else.
volatile sig_atomic_t gSignal = 0;
int gNotify[2] = {-1, -1};
bool gWatching = false;  // a Cancellation exists
bool gHandling = false;  // its handler is installed
struct sigaction gPrevious[std::size(kSignals)];

extern "C" void OnCancelSignal(int number) {
  const int saved = errno;
  if (gSignal == 0) {
    gSignal = number;
  }
  const char byte = 1;
  // The pipe does not block; once it is full a reader has plenty to wake up for.
  [[maybe_unused]] const ssize_t ignored = ::write(gNotify[1], &byte, 1);
  errno = saved;
}

}  // namespace

std::unique_ptr<Cancellation> Cancellation::Watch() {
  if (gWatching || ::pipe2(gNotify, O_CLOEXEC | O_NONBLOCK) != 0) {
    return nullptr;
  }
  gSignal = 0;
  struct sigaction action {};
  action.sa_handler = OnCancelSignal;
  sigemptyset(&action.sa_mask);
  // Restarting keeps the libraries' own reads and writes from failing halfway; the waits that
  // must end on a request (input, locks) watch the descriptor or check after EINTR.
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], &action, &gPrevious[i]);
  }
  gWatching = true;
  gHandling = true;
  return std::unique_ptr<Cancellation>{new Cancellation};
}

Cancellation::~Cancellation() {
  StopWatching();
  ::close(gNotify[0]);
  ::close(gNotify[1]);
  gNotify[0] = gNotify[1] = -1;
  gWatching = false;
}

void Cancellation::StopWatching() {
  if (!gHandling) {
    return;
  }
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], &gPrevious[i], nullptr);
  }
  gHandling = false;
}

bool Cancellation::Requested() const {
  return gSignal != 0;
}

std::string Cancellation::SignalName() const {
  switch (gSignal) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "";
  }
}

int Cancellation::Descriptor() const {
  return gNotify[0];
}

bool Cancellation::WaitReadable(int fd) const {
  for (;;) {
    if (Requested()) {
      return false;
    }
    pollfd watched[2] = {{fd, POLLIN, 0}, {gNotify[0], POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0 && errno != EINTR) {
      return true;  // let the read itself report the problem
    }
    if (Requested()) {
      return false;
    }
    if (watched[0].revents != 0) {
      return true;
    }
  }
}

bool PauseUnlessCancelled(const Cancellation* cancellation, int milliseconds) {
  if (cancellation == nullptr) {
    ::poll(nullptr, 0, milliseconds);
    return true;
  }
  if (cancellation->Requested()) {
    return false;
  }
  // A signal ends the wait early; a shorter pause does no harm to a retried wait.
  pollfd notify{cancellation->Descriptor(), POLLIN, 0};
  ::poll(&notify, 1, milliseconds);
  return !cancellation->Requested();
}

}  // namespace vellumor::platform
