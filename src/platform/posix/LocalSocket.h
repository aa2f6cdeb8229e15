#pragma once
// A connection between two processes of this computer that keeps every message whole (a
// Unix-domain packet socket) and can carry open files along with a message, so that a file one
// process may open reaches another without a copy in a shared place. Each end can tell which
// user is at the other end, as the system recorded it when the connection was made.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

struct ReceivedMessage {
  enum class Kind { Message, Closed, TimedOut, Failed };
  Kind kind{Kind::Failed};
  std::string bytes;
  // The message or its files did not fit the limits given; the part that fit is unusable.
  bool truncated{false};
  std::vector<OwnedFile> files;
};

class LocalSocket final {
 public:
  // Listens at `path`, replacing a socket file left there by a listener that is gone. The file is
  // made readable and writable by the owner only. Accept never blocks on the listener.
  static std::optional<LocalSocket> Listen(const std::filesystem::path& path, std::string& error);
  // Connects to the listener at `path`, waiting at most `timeout` when its queue is full.
  static std::optional<LocalSocket> Connect(const std::filesystem::path& path, std::chrono::milliseconds timeout,
                                            std::string& error);

  // The next connection waiting at a listener (it never blocks in Send); nothing when none waits.
  std::optional<LocalSocket> Accept();
  // Sends one message with `files` attached (they stay open here); false when the other end is gone.
  bool Send(std::string_view bytes, const std::vector<int>& files = {});
  // One message of at most `limit` bytes and `fileLimit` files, waiting at most `timeout` for it
  // (zero: only what is there already; nothing: as long as it takes).
  ReceivedMessage Receive(std::size_t limit, std::size_t fileLimit, std::optional<std::chrono::milliseconds> timeout);
  // The user the process at the other end ran as when the connection was made.
  std::optional<std::uint32_t> PeerUser() const;
  int Descriptor() const { return file_.Get(); }

  // For a listener: removes its socket file, unless another listener's file has taken its place.
  void RemoveSocketFile();

 private:
  explicit LocalSocket(OwnedFile file) : file_{std::move(file)} {}

  OwnedFile file_;
  std::filesystem::path path_;
  std::uint64_t device_{0};
  std::uint64_t inode_{0};
};

}  // namespace vellumor::platform
