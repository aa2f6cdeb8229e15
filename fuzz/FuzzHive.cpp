// A registry hive is a text file anyone with the user's rights can edit. Parsing must never fail
// badly, and whatever it keeps of a hive must be written back in a form that reads back
// whole, without damage, to the same thing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/posix/HiveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::platform;
  const ParsedHive parsed = ParseHive(std::string_view{reinterpret_cast<const char*>(data), size});
  if (parsed.damage.lines > 0 && (parsed.damage.firstLine == 0 || parsed.damage.firstLine > size)) {
    std::abort();
  }
  const std::string text = SerializeHive(parsed.hive);
  const ParsedHive again = ParseHive(text);
  if (again.damage.lines != 0 || SerializeHive(again.hive) != text) {
    std::abort();
  }
  return 0;
}
