#pragma once
// The product's own printer as the rest of the system knows it. Its port is the system's
// (platform::ProductPrinterPort): a default printer on that port counts as the product's printer.

#include <string_view>

namespace vellumor::printer {

inline constexpr std::string_view ProductPrinterName = "Vellumor";

// The identity of the file a print-files job prints ("<device>:<file>") travels from print-files
// mode to the port as this job option, and from the port to the program as its printed-file
// option (base/ProgramOptions.h), so that the job's PDF is never saved over that file.
inline constexpr std::string_view kPrintedFileJobOption = "vellumor-printed-file";

// What GetDefaultPrinterName answers when a default printer is named but cannot be read.
inline constexpr std::string_view kPrinterNotSet = "printer not set...";

}  // namespace vellumor::printer
