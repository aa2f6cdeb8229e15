#include "platform/posix/OwnedFile.h"

#include <unistd.h>

namespace vellumor::platform {

bool DescriptorTraits::Close(int descriptor) noexcept {
  return ::close(descriptor) == 0;
}

}  // namespace vellumor::platform
