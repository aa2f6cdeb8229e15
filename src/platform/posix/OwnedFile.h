#pragma once
// An open file (a descriptor) of this process with exactly one owner, closed when the owner lets
// go of it: descriptors passed between processes must never leak into the programs started later.

#include "platform/UniqueHandle.h"

namespace vellumor::platform {

struct DescriptorTraits {
  using Native = int;
  static constexpr int Invalid() noexcept { return -1; }
  static constexpr bool Valid(int descriptor) noexcept { return descriptor >= 0; }
  // False, with errno set, when closing failed.
  static bool Close(int descriptor) noexcept;
};

using OwnedFile = UniqueHandle<DescriptorTraits>;

}  // namespace vellumor::platform
