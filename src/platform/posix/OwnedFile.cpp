#include "platform/posix/OwnedFile.h"

#include <unistd.h>

namespace vellumor::platform {

void OwnedFile::Reset() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

int OwnedFile::Close() {
  return ::close(Release());
}

}  // namespace vellumor::platform
