#pragma once
// Runs a check in a child process that cannot override file permissions, so that "access
// denied" paths are tested for real also when the tests run as root (root ignores mode bits).

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace vellumor::test {

inline constexpr uid_t kNobodyId = 65534;

// Runs `check` in a forked child, as the user "nobody" when this process is root. Returns the
// failure text the check gave ("" when it passed), or a text saying why the child failed.
inline std::string RunUnprivileged(const std::function<std::string()>& check) {
  int channel[2];
  if (::pipe(channel) != 0) {
    return "pipe failed";
  }
  const pid_t child = ::fork();
  if (child < 0) {
    return "fork failed";
  }
  if (child == 0) {
    ::close(channel[0]);
    std::string result;
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobodyId) != 0 || ::setuid(kNobodyId) != 0)) {
      result = "could not drop privileges";
    } else {
      result = check();
    }
    const char* data = result.data();
    std::size_t left = result.size();
    while (left > 0) {
      const ssize_t written = ::write(channel[1], data, left);
      if (written <= 0) {
        break;
      }
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string text;
  char buffer[512];
  ssize_t count{0};
  while ((count = ::read(channel[0], buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(channel[0]);
  int status{0};
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "the unprivileged check crashed: " + text;
  }
  return text;
}

}  // namespace vellumor::test
