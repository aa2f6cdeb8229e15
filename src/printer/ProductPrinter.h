#pragma once
// The product's own printer as the rest of the system knows it. The port name is the device URI
// of the printer's CUPS backend: the backend announces it, the install script reads it from
// there, and a default printer on this URI counts as the product's printer.

#include <string_view>

namespace vellumor::printer {

inline constexpr std::string_view ProductPrinterName = "Vellumor";
inline constexpr std::string_view ProductPortName = "vellumor:/";

// What GetDefaultPrinterName answers when a default printer is named but cannot be read.
inline constexpr std::string_view kPrinterNotSet = "printer not set...";

}  // namespace vellumor::printer
