#include "backend/SessionHandOver.h"

#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vellumor::backend {
namespace {

// This process, root, acting with the user's rights for as long as it lives: the user's runtime
// folder is entered as the user (a link the user put there leads nowhere root alone may go), and
// the agent sees the user at its end of the connection. The real and saved identities stay root's,
// so the user can neither signal nor trace this process meanwhile.
class ActingAsUser final {
 public:
  explicit ActingAsUser(const JobUser& user) {
    const int count = ::getgroups(0, nullptr);
    groups_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count < 0 || ::getgroups(count, groups_.data()) != count) {
      error_ = "getgroups";
    } else if (::setgroups(0, nullptr) != 0) {
      error_ = "setgroups";
    } else if (::setresgid(-1, user.gid, -1) != 0) {
      error_ = "setresgid";
    } else if (::setresuid(-1, user.uid, -1) != 0) {
      error_ = "setresuid";
    }
    if (!error_.empty()) {
      error_ += std::string{": "} + std::strerror(errno);
    }
  }
  ~ActingAsUser() {
    // Root's rights come back, or this process must not go on at all.
    if (::setresuid(-1, 0, -1) != 0 || ::setresgid(-1, group_, -1) != 0 ||
        ::setgroups(groups_.size(), groups_.data()) != 0) {
      ::_exit(1);
    }
  }
  ActingAsUser(const ActingAsUser&) = delete;
  ActingAsUser& operator=(const ActingAsUser&) = delete;

  const std::string& Error() const { return error_; }

 private:
  gid_t group_{::getegid()};
  std::vector<gid_t> groups_;
  std::string error_;
};

std::optional<platform::LocalSocket> ConnectAsUser(const JobUser& user, const std::filesystem::path& socket,
                                                   std::string& error) {
  const ActingAsUser acting{user};
  if (!acting.Error().empty()) {
    error = "cannot take the user's rights (" + acting.Error() + ")";
    return std::nullopt;
  }
  return platform::LocalSocket::Connect(socket, agent::kAnswerTimeout, error);
}

}  // namespace

std::filesystem::path UserRuntimeFolder(uid_t uid) {
  const char* root = std::getenv("VELLUMOR_RUNTIME_ROOT");
  return std::filesystem::path{root != nullptr && *root == '/' ? root : "/run/user"} / std::to_string(uid);
}

agent::HandOver HandToSession(const JobRequest& request, platform::EventWait& events,
                              std::optional<std::chrono::steady_clock::time_point> giveUpAt) {
  const std::filesystem::path socket = agent::AgentSocket(UserRuntimeFolder(request.user.uid));
  std::string error;
  std::optional<platform::LocalSocket> agent = ConnectAsUser(request.user, socket, error);
  if (!agent) {
    return {agent::HandOverResult::NoAgent, error, 0};
  }
  return agent::HandOverJob(*agent, request.user.uid, {request.title, request.printedFile}, request.input, events,
                            giveUpAt);
}

}  // namespace vellumor::backend
