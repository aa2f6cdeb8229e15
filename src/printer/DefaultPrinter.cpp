#include "printer/DefaultPrinter.h"

#include "printer/ProductPrinter.h"

namespace vellumor::printer {

std::string GetDefaultPrinterName(platform::Spooler& printers) {
  const platform::DefaultDestination destination = printers.Default();
  switch (destination.state) {
    case platform::DefaultDestination::State::None:
      return "";
    case platform::DefaultDestination::State::Unreadable:
      return std::string{kPrinterNotSet};
    case platform::DefaultDestination::State::Found:
      break;
  }
  return destination.name;
}

std::string GetPrinterPortName(platform::Spooler& printers, std::string_view printer) {
  if (printer.empty()) {
    return "";
  }
  return printers.Port(printer).value_or("");
}

int SetDefaultPrinter(platform::Spooler& printers, std::string_view printer) {
  return printers.SetUserDefault(printer).Ok() ? 0 : 1;
}

}  // namespace vellumor::printer
