// What a staged file is on every system: moving it moves the file, and an unpublished one goes
// with its object.

#include "platform/StagedFile.h"

#include <utility>

namespace vellumor::platform {

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_{std::move(other.path_)},
      fd_{std::exchange(other.fd_, -1)},
      present_{std::exchange(other.present_, false)} {}

StagedFile::~StagedFile() {
  Discard();
}

}  // namespace vellumor::platform
