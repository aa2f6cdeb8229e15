#pragma once
// The product's own printer as the rest of the system knows it. Its port is the system's
// (platform::ProductPrinterPort): a default printer on that port counts as the product's printer.

#include <string_view>

namespace vellumor::printer {

inline constexpr std::string_view ProductPrinterName = "Vellumor";

// The identity of the file a print-files job prints ("<device>:<file>") travels from print-files
// mode to the port as this job option, and from the port to the program as the command-line
// option "-s<device>:<file>", so that the job's PDF is never saved over that file. Older programs
// accept and ignore an option they do not know.
inline constexpr std::string_view kPrintedFileJobOption = "vellumor-printed-file";
inline constexpr char kPrintedFileProgramOption = 's';

// What GetDefaultPrinterName answers when a default printer is named but cannot be read.
inline constexpr std::string_view kPrinterNotSet = "printer not set...";

}  // namespace vellumor::printer
