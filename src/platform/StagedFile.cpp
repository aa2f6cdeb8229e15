// What a staged file is on every system: moving it moves the file, and an unpublished one goes
// with its object.

#include "platform/StagedFile.h"

#include <utility>

namespace vellumor::platform {

// The file leaves the object it moved from, which then has nothing to remove.
StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_{std::move(other.path_)}, file_{std::move(other.file_)}, present_{std::exchange(other.present_, false)} {}

StagedFile::~StagedFile() {
  Discard();
}

}  // namespace vellumor::platform
