#pragma once
// The printing system as this program uses it: the user's default printer, a printer's device
// (its "port"), and queueing a file. Implemented on libcups; the server is the one libcups
// finds (CUPS_SERVER, client.conf, the local scheduler).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumor::printer {

struct DefaultDestination {
  enum class State {
    None,        // no default printer anywhere
    Unreadable,  // a default is named (lpoptions) but cannot be queried
    Found,
  };
  State state{State::None};
  std::string name;  // the printer's full name (Found), or the name given for it (Unreadable)
};

// The outcome of a change or a print request: `error` is empty on success.
struct PrinterResult {
  std::string error;
  int jobId{0};  // PrintFile: the job the server made

  bool Ok() const { return error.empty(); }
};

using JobOptions = std::vector<std::pair<std::string, std::string>>;

class PrinterSystem {
 public:
  virtual ~PrinterSystem() = default;

  // The default as saved (the user's or the system's lpoptions, else the scheduler's), which is
  // what SetUserDefault changes; LPDEST and PRINTER choose a printer for one session only and
  // do not count.
  virtual DefaultDestination Default() = 0;
  // The printer's device URI; nothing when the printer cannot be queried.
  virtual std::optional<std::string> DeviceUri(std::string_view printer) = 0;
  // Makes `printer` the user's default (~/.cups/lpoptions). Fails for a printer the server
  // does not know.
  virtual PrinterResult SetUserDefault(std::string_view printer) = 0;
  // Takes the user's own default away, so that the server's default (or none) applies again.
  virtual PrinterResult ClearUserDefault() = 0;
  // Queues `file` on `printer` with `title` as the job's name and `options` (name, value) as
  // job options.
  virtual PrinterResult PrintFile(std::string_view printer, const std::filesystem::path& file, std::string_view title,
                                  const JobOptions& options) = 0;
};

std::unique_ptr<PrinterSystem> MakeCupsPrinterSystem();

}  // namespace vellumor::printer
