// Any command line splits within the table's limits, and a line that fits is kept whole: the
// entries put together give the line back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/ArgumentTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::app;
  const std::string_view line{reinterpret_cast<const char*>(data), size};
  const ArgumentTable table = SplitCommandLine(line);
  if (table.entries.size() > ArgumentTable::kMaxEntries) {
    std::abort();
  }
  std::string joined;
  for (const std::string& entry : table.entries) {
    if (entry.size() > ArgumentTable::kMaxEntryLength) {
      std::abort();
    }
    joined += entry;
  }
  if (table.Count() > 0 && !table.entriesCut && !table.entriesDropped && joined != line) {
    std::abort();
  }
  return 0;
}
