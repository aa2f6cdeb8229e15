#include "platform/Registry.h"

#include "base/StandardError.h"

namespace vellumor::platform {

void Registry::StandardErrorLine(std::string_view line) {
  base::WriteProgramLine(line);
}

}  // namespace vellumor::platform
