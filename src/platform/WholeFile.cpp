// What reading a file whole says on every system when it refuses a file.

#include "platform/WholeFile.h"

#include "platform/Registry.h"

namespace vellumor::platform {

WholeFileRead RefusedRead(std::string reason) {
  return {WholeFileRead::Status::Refused, {}, win_error::kInvalidData, std::move(reason)};
}

std::string TooLargeReason(std::size_t maxBytes) {
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  if (maxBytes >= kMegabyte && maxBytes % kMegabyte == 0) {
    return "larger than " + std::to_string(maxBytes / kMegabyte) + " MB";
  }
  return "larger than " + std::to_string(maxBytes) + " bytes";
}

}  // namespace vellumor::platform
