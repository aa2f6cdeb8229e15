#include "platform/OwnedFile.h"

#include <unistd.h>

namespace vellumor::platform {

void OwnedFile::Reset() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

}  // namespace vellumor::platform
