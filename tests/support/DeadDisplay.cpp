#include "support/DeadDisplay.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace vellumor::test {
namespace {

// Binds an abstract (address starting with a zero byte) or file socket to `name`.
int BoundSocket(const std::string& name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.size() >= sizeof address.sun_path) {
    return -1;
  }
  std::memcpy(address.sun_path, name.data(), name.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
  if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

DeadXDisplay::DeadXDisplay() {
  // X clients look for display n at the abstract address "/tmp/.X11-unix/X<n>" first; taking it
  // keeps servers away (they claim it the same way) and refuses clients. Numbers far above
  // those servers pick for themselves.
  for (int number = 4000; number < 5000 && fd_ < 0; ++number) {
    fd_ = BoundSocket(std::string{'\0'} + "/tmp/.X11-unix/X" + std::to_string(number));
    if (fd_ >= 0 && !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
      name_ = ":" + std::to_string(number);
    } else if (fd_ >= 0) {
      ::close(fd_);  // a stale socket file of that number could still answer
      fd_ = -1;
    }
  }
}

DeadXDisplay::~DeadXDisplay() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

ListeningSocket::ListeningSocket(const std::filesystem::path& path) : fd_{BoundSocket(path.string())} {
  if (fd_ >= 0 && ::listen(fd_, 4) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

ListeningSocket::~ListeningSocket() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

}  // namespace vellumor::test
