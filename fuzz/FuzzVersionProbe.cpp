// The pages the updater reads are whatever a web server sends. Searching a chunk for the version
// must never fail badly, and a version found must be a number the offer can show and compare.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "updater/VersionProbe.h"
#include "updater/VersionText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor::updater;
  const std::string_view page{reinterpret_cast<const char*>(data), std::min(size, kChunkSize)};
  for (const ProbeSource source : {ProbeSource::Maker, ProbeSource::Portal}) {
    const ChunkSearch search = SearchChunk(source, page);
    if (!search.found) {
      continue;
    }
    if (!std::isfinite(search.value)) {
      std::abort();
    }
    // What the window shows reads back as the same number to the shown precision.
    if (std::fabs(search.value) < 1e12 && std::fabs(ParseDecimal(FormatVersion(search.value)) - search.value) > 0.006) {
      std::abort();
    }
  }
  return 0;
}
