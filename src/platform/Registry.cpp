// What the registry tells the user, the same on every system.

#include "platform/Registry.h"

#include <cstdio>
#include <string>

namespace vellumor::platform {

void Registry::StandardErrorLine(std::string_view line) {
  std::string text = "vellumor: ";
  text += line;
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vellumor::platform
