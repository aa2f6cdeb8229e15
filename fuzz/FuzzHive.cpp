// A registry hive is a text file anyone with the user's rights can edit. Parsing must never fail
// badly, and a hive that parses must be written back in a form that parses to the same thing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/HiveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::platform;
  const std::optional<Hive> hive = ParseHive(std::string_view{reinterpret_cast<const char*>(data), size});
  if (!hive) {
    return 0;
  }
  const std::string text = SerializeHive(*hive);
  const std::optional<Hive> again = ParseHive(text);
  if (!again || SerializeHive(*again) != text) {
    std::abort();
  }
  return 0;
}
