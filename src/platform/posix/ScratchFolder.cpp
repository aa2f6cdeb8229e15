#include "platform/ScratchFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

namespace vellumor::platform {

std::unique_ptr<ScratchFolder> ScratchFolder::Create(std::filesystem::path folder) {
  if (::mkdir(folder.c_str(), 0700) != 0) {
    return nullptr;
  }
  std::optional<std::string> previous;
  if (const char* value = ::getenv("TMPDIR")) {
    previous = value;
  }
  ::setenv("TMPDIR", folder.c_str(), 1);
  return std::unique_ptr<ScratchFolder>{new ScratchFolder{std::move(folder), std::move(previous)}};
}

ScratchFolder::~ScratchFolder() {
  if (previous_) {
    ::setenv("TMPDIR", previous_->c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace vellumor::platform
