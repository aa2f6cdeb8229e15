// The head of a print job is whatever the printing application wrote. The file name made from its
// title must never hold a character that could leave the chosen folder or break the name.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "convert/FileNames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::convert;
  const JobTitle title = ExtractJobTitle(std::string_view{reinterpret_cast<const char*>(data), size});
  if (title.title.size() > 259) {
    std::abort();
  }
  const std::string name = OutputNameFromTitle(title.title);
  if (name.find_first_of("<>:?*\"/\\|") != std::string::npos) {
    std::abort();
  }
  return 0;
}
