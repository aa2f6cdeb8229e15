#include "platform/posix/RemovalWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vellumor::platform {

std::unique_ptr<RemovalWatch> RemovalWatch::Create(std::string& error) {
  OwnedFile notices{::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)};
  if (!notices.Valid()) {
    error = std::string{"inotify: "} + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<RemovalWatch>{new RemovalWatch{std::move(notices)}};
}

bool RemovalWatch::Add(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
    return false;
  }
  const std::filesystem::path folder = file.parent_path();
  const int watch = ::inotify_add_watch(notices_.Get(), folder.c_str(),
                                        IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT);
  if (watch < 0) {
    return false;
  }
  files_.emplace(watch, file.filename().string());
  return true;
}

bool RemovalWatch::Removed() {
  alignas(inotify_event) char buffer[4096];
  bool removed = false;
  ssize_t count = 0;
  while ((count = ::read(notices_.Get(), buffer, sizeof buffer)) > 0) {
    for (char* at = buffer; at < buffer + count;) {
      const auto* notice = reinterpret_cast<const inotify_event*>(at);
      const std::string name = notice->len > 0 ? std::string{notice->name} : std::string{};
      if ((notice->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) != 0) {
        // A folder of a watched file has gone (or was moved away) with everything in it.
        for (const auto& [watch, file] : files_) {
          removed = removed || watch == notice->wd;
        }
      } else if (files_.contains({notice->wd, name})) {
        removed = true;
      }
      at += sizeof(inotify_event) + notice->len;
    }
  }
  return removed;
}

}  // namespace vellumor::platform
