#include "backend/JobUser.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vellumor::backend {

std::optional<JobUser> LookUpJobUser(std::string_view name, std::string& error) {
  if (name.empty()) {
    error = "the job names no user";
    return std::nullopt;
  }
  const std::string wanted{name};
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found{nullptr};
  int result = 0;
  while ((result = ::getpwnam_r(wanted.c_str(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < (1U << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  if (result != 0) {
    error = "cannot look up user \"" + wanted + "\": " + std::strerror(result);
    return std::nullopt;
  }
  if (found == nullptr) {
    error = "user \"" + wanted + "\" is not known on this computer";
    return std::nullopt;
  }
  if (found->pw_uid == 0) {
    error = "jobs printed as root are refused; print as the user the PDF is for";
    return std::nullopt;
  }
  JobUser user;
  user.name = found->pw_name;
  user.uid = found->pw_uid;
  user.gid = found->pw_gid;
  user.home = found->pw_dir != nullptr && *found->pw_dir != '\0' ? found->pw_dir : "/";
  user.shell = found->pw_shell != nullptr ? found->pw_shell : "";
  return user;
}

}  // namespace vellumor::backend
