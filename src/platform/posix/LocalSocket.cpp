#include "platform/posix/LocalSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vellumor::platform {
namespace {

std::string Reason(std::string_view what) {
  return std::string{what} + ": " + std::strerror(errno);
}

// A new packet socket and the address of `path`; an invalid file, with the reason, when either fails.
OwnedFile NewSocket(const std::filesystem::path& path, sockaddr_un& address, std::string& error) {
  address.sun_family = AF_UNIX;
  if (path.native().size() >= sizeof address.sun_path) {
    error = path.string() + " is too long a name for a socket";
    return OwnedFile{};
  }
  path.native().copy(address.sun_path, sizeof address.sun_path - 1);
  OwnedFile file{::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)};
  if (!file.Valid()) {
    error = Reason("socket");
  }
  return file;
}

}  // namespace

std::optional<LocalSocket> LocalSocket::Listen(const std::filesystem::path& path, std::string& error) {
  sockaddr_un address{};
  OwnedFile file = NewSocket(path, address, error);
  if (!file.Valid()) {
    return std::nullopt;
  }
  struct stat old {};
  if (::lstat(path.c_str(), &old) == 0 && S_ISSOCK(old.st_mode)) {
    ::unlink(path.c_str());
  }
  // Made closed to others from the start: a mode set after binding leaves a moment open.
  const mode_t previous = ::umask(0177);
  const int bound = ::bind(file.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  ::umask(previous);
  if (bound != 0) {
    error = Reason("cannot listen at " + path.string());
    return std::nullopt;
  }
  struct stat made {};
  if (::lstat(path.c_str(), &made) != 0 || ::listen(file.Get(), 16) != 0 ||
      ::fcntl(file.Get(), F_SETFL, O_NONBLOCK) != 0) {
    error = Reason("cannot listen at " + path.string());
    ::unlink(path.c_str());
    return std::nullopt;
  }
  LocalSocket listener{std::move(file)};
  listener.path_ = path;
  listener.device_ = made.st_dev;
  listener.inode_ = made.st_ino;
  return listener;
}

std::optional<LocalSocket> LocalSocket::Connect(const std::filesystem::path& path, std::chrono::milliseconds timeout,
                                                std::string& error) {
  sockaddr_un address{};
  OwnedFile file = NewSocket(path, address, error);
  if (!file.Valid()) {
    return std::nullopt;
  }
  // A listener whose queue is full makes connect wait for as long as sending may.
  timeval limit{};
  limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  limit.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  ::setsockopt(file.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (::connect(file.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = Reason("cannot connect to " + path.string());
    return std::nullopt;
  }
  return LocalSocket{std::move(file)};
}

std::optional<LocalSocket> LocalSocket::Accept() {
  // A listener's side never waits on one peer: a peer that stops reading only loses its answers.
  OwnedFile connection{::accept4(file_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)};
  if (!connection.Valid()) {
    return std::nullopt;
  }
  return LocalSocket{std::move(connection)};
}

bool LocalSocket::Send(std::string_view bytes, const std::vector<int>& files) {
  iovec part{const_cast<char*>(bytes.data()), bytes.size()};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  std::vector<char> control(files.empty() ? 0 : CMSG_SPACE(files.size() * sizeof(int)));
  if (!files.empty()) {
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(files.size() * sizeof(int));
    std::memcpy(CMSG_DATA(header), files.data(), files.size() * sizeof(int));
  }
  ssize_t sent = 0;
  while ((sent = ::sendmsg(file_.Get(), &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  return sent == static_cast<ssize_t>(bytes.size());
}

ReceivedMessage LocalSocket::Receive(std::size_t limit, std::size_t fileLimit,
                                     std::optional<std::chrono::milliseconds> timeout) {
  ReceivedMessage received;
  pollfd wait{file_.Get(), POLLIN, 0};
  int ready = 0;
  while ((ready = ::poll(&wait, 1, timeout ? static_cast<int>(timeout->count()) : -1)) < 0 && errno == EINTR) {
  }
  if (ready == 0) {
    received.kind = ReceivedMessage::Kind::TimedOut;
    return received;
  }
  // One byte more than allowed, and room for one file more, tell an oversized message.
  received.bytes.resize(limit + 1);
  iovec part{received.bytes.data(), received.bytes.size()};
  std::vector<char> control(CMSG_SPACE((fileLimit + 1) * sizeof(int)));
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control.data();
  message.msg_controllen = control.size();
  ssize_t count = 0;
  while ((count = ::recvmsg(file_.Get(), &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
  }
  if (count < 0) {
    received.kind = errno == EAGAIN ? ReceivedMessage::Kind::TimedOut : ReceivedMessage::Kind::Failed;
    received.bytes.clear();
    return received;
  }
  // Every file that came along is owned from here on, also those of a refused message.
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS) {
      const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      for (std::size_t index = 0; index < count; ++index) {
        int descriptor = -1;
        std::memcpy(&descriptor, CMSG_DATA(header) + index * sizeof(int), sizeof descriptor);
        received.files.emplace_back(descriptor);
      }
    }
  }
  received.bytes.resize(static_cast<std::size_t>(count));
  // An empty packet cannot be told from the end of the connection; the conversation has none.
  received.kind = count == 0 && received.files.empty() ? ReceivedMessage::Kind::Closed : ReceivedMessage::Kind::Message;
  received.truncated = (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0 || received.bytes.size() > limit ||
                       received.files.size() > fileLimit;
  return received;
}

std::optional<std::uint32_t> LocalSocket::PeerUser() const {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(file_.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
    return std::nullopt;
  }
  return peer.uid;
}

void LocalSocket::RemoveSocketFile() {
  struct stat now {};
  if (!path_.empty() && ::lstat(path_.c_str(), &now) == 0 && now.st_dev == device_ && now.st_ino == inode_) {
    ::unlink(path_.c_str());
  }
  path_.clear();
}

}  // namespace vellumor::platform
