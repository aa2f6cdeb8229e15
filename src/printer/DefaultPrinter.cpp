#include "printer/DefaultPrinter.h"

#include "printer/ProductPrinter.h"

namespace vellumor::printer {

std::string GetDefaultPrinterName(PrinterSystem& printers) {
  const DefaultDestination destination = printers.Default();
  switch (destination.state) {
    case DefaultDestination::State::None:
      return "";
    case DefaultDestination::State::Unreadable:
      return std::string{kPrinterNotSet};
    case DefaultDestination::State::Found:
      break;
  }
  return destination.name;
}

std::string GetPrinterPortName(PrinterSystem& printers, std::string_view printer) {
  if (printer.empty()) {
    return "";
  }
  return printers.DeviceUri(printer).value_or("");
}

int SetDefaultPrinter(PrinterSystem& printers, std::string_view printer) {
  return printers.SetUserDefault(printer).Ok() ? 0 : 1;
}

}  // namespace vellumor::printer
