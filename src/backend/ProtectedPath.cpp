#include "backend/ProtectedPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace vellumor::backend {
namespace {

// As the system's own path lookup gives up.
constexpr int kMaxLinks = 40;

std::string Judge(const std::filesystem::path& part, const struct stat& info) {
  if (info.st_uid != 0) {
    return part.string() + " is not owned by root";
  }
  // A link's own mode means nothing; what it names is judged when it is followed.
  if (!S_ISLNK(info.st_mode) && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return part.string() + " can be changed by other users than root";
  }
  return "";
}

}  // namespace

std::string UnprotectedReason(const std::filesystem::path& path) {
  if (!path.is_absolute()) {
    return path.string() + " is not an absolute path";
  }
  // The parts still to walk, the next one last; links put their target's parts in their place.
  const std::filesystem::path relative = path.relative_path();
  std::vector<std::filesystem::path> pending(relative.begin(), relative.end());
  std::reverse(pending.begin(), pending.end());
  std::filesystem::path current = "/";
  struct stat info {};
  if (::lstat("/", &info) != 0) {
    return "/ cannot be examined";
  }
  if (std::string reason = Judge(current, info); !reason.empty()) {
    return reason;
  }
  int links = 0;
  while (!pending.empty()) {
    const std::filesystem::path part = pending.back();
    pending.pop_back();
    if (part.empty() || part == ".") {
      continue;
    }
    if (part == "..") {
      current = current.parent_path();  // `current` never holds a link, so this is the real parent
      continue;
    }
    const std::filesystem::path next = current / part;
    if (::lstat(next.c_str(), &info) != 0) {
      return next.string() + " does not exist";
    }
    if (std::string reason = Judge(next, info); !reason.empty()) {
      return reason;
    }
    if (!S_ISLNK(info.st_mode)) {
      if (!pending.empty() && !S_ISDIR(info.st_mode)) {
        return next.string() + " is not a folder";
      }
      current = next;
      continue;
    }
    if (++links > kMaxLinks) {
      return path.string() + " goes through too many links";
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(next, error);
    if (error) {
      return next.string() + " cannot be read";
    }
    if (target.is_absolute()) {
      current = "/";
    }
    const std::filesystem::path relative = target.relative_path();
    const std::vector<std::filesystem::path> parts(relative.begin(), relative.end());
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
  }
  return "";
}

}  // namespace vellumor::backend
