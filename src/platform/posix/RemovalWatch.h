#pragma once
// Notices when files or their folders disappear (a session's runtime folder emptied at logout, a
// display server's socket removed when the server ends) through the system's file notifications,
// so nothing has to be checked again and again.

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

class RemovalWatch final {
 public:
  static std::unique_ptr<RemovalWatch> Create(std::string& error);
  RemovalWatch(const RemovalWatch&) = delete;
  RemovalWatch& operator=(const RemovalWatch&) = delete;

  // Watches `file` (and its folder) from now on; false when it does not exist or cannot be watched.
  bool Add(const std::filesystem::path& file);
  // Readable when a notice is waiting.
  int Descriptor() const { return notices_.Get(); }
  // Reads the waiting notices; true when a watched file or one of their folders has gone.
  bool Removed();

 private:
  explicit RemovalWatch(OwnedFile notices) : notices_{std::move(notices)} {}
  OwnedFile notices_;
  std::set<std::pair<int, std::string>> files_;  // (folder watch, file name)
};

}  // namespace vellumor::platform
