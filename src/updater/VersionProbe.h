#pragma once
// Reading the current version from a web page: the maker's own page or the download portal's
// page for the product. The page is read in chunks, each searched on its own for the version
// markers in a fixed order, the number right after the first marker found being the version.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/HttpTransport.h"
#include "updater/CheckView.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

enum class ProbeSource { Maker, Portal };

inline constexpr std::string_view kRequestHeaders = "Accept: text/*\r\nUser-Agent: Corvane Software Updater\r\n";
// Bytes searched at a time. A marker split between two chunks is not seen.
inline constexpr std::size_t kChunkSize = 32767;
// The maker's page never announces a version this high; such a number is something else.
inline constexpr double kMakerVersionLimit = 9.0;

struct ProbeResult {
  std::string version;  // the value found, two decimals; "" when no positive value was found
  std::optional<platform::TransportFailure> failure;
};

struct ChunkSearch {
  bool found{false};
  double value{0.0};
};

// Looks for the source's markers in `chunk` (up to its first zero byte), in table order.
ChunkSearch SearchChunk(ProbeSource source, std::string_view chunk);

// Probes the source's page (the product page or the portal page of `context`), showing each step
// in the status line and the version found in the source's field.
ProbeResult ProbeVersion(ProbeSource source, CheckContext& context, CheckView& view,
                         platform::HttpTransport& transport);

}  // namespace vellumor::updater
