// Setup files come from anywhere (e-mail, the sibling product). Reading one must never fail
// badly, and whatever a file sets must survive being written and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/SetupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::settings;
  Settings first = DefaultSettings("/home/fuzz");
  ReadSetupText(std::string_view{reinterpret_cast<const char*>(data), size}, first);
  Settings second = DefaultSettings("/home/fuzz");
  ReadSetupText(SetupFileText(first), second);
  if (!(first == second)) {
    std::abort();
  }
  return 0;
}
