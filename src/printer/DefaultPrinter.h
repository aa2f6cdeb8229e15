#pragma once
// The default printer and a printer's port, in the terms the rest of the program uses: names
// and ports as plain text, "" when there is nothing to tell.

#include <string>
#include <string_view>

#include "platform/Spooler.h"

namespace vellumor::printer {

// "" when there is no default printer, kPrinterNotSet when one is named but cannot be read,
// otherwise the printer's full name (never shortened).
std::string GetDefaultPrinterName(platform::Spooler& printers);

// The printer's port (its device URI), "" when the printer cannot be queried.
std::string GetPrinterPortName(platform::Spooler& printers, std::string_view printer);

// Makes `printer` the user's default printer: 0 on success, 1 on any failure.
int SetDefaultPrinter(platform::Spooler& printers, std::string_view printer);

}  // namespace vellumor::printer
