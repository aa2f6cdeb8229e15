#include "platform/Registry.h"

#include <cstdio>
#include <string>

namespace vellumor::platform {

// One write for the whole line, so that the lines of processes sharing standard error (one per
// print job) never interleave.
void Registry::StandardErrorLine(std::string_view line) {
  std::string text = "vellumor: ";
  text += line;
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vellumor::platform
