#pragma once
// The account a print job belongs to, as the password database has it. The job's PDF is made
// with that user's rights, settings and folders, never with the backend's (root's).

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace vellumor::backend {

struct JobUser {
  std::string name;
  uid_t uid{0};
  gid_t gid{0};
  std::string home;
  std::string shell;
};

// The user named `name`; nothing, with the reason in `error`, when there is no such user or it is
// root (a job printed as root would run the conversion, and whatever it opens, as root).
std::optional<JobUser> LookUpJobUser(std::string_view name, std::string& error);

}  // namespace vellumor::backend
