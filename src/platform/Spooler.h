#pragma once
// The printing system as this program uses it: the user's default printer, a printer's port,
// and queueing a file. On Linux that is libcups (the server libcups finds: CUPS_SERVER,
// client.conf, the local scheduler) and a printer's port is its device URI; on Windows the
// spooler, where the port is the printer's port name.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumor::platform {

struct DefaultDestination {
  enum class State {
    None,        // no default printer anywhere
    Unreadable,  // a default is named but cannot be queried
    Found,
  };
  State state{State::None};
  std::string name;  // the printer's full name (Found), or the name given for it (Unreadable)
};

// The outcome of a change or a print request: `error` is empty on success.
struct PrinterResult {
  std::string error;
  int jobId{0};  // PrintFile: the job the system made, where it tells

  bool Ok() const { return error.empty(); }
};

using JobOptions = std::vector<std::pair<std::string, std::string>>;

class Spooler {
 public:
  virtual ~Spooler() = default;

  // The default as saved (on Linux the user's or the system's lpoptions, else the scheduler's),
  // which is what SetUserDefault changes; a printer chosen for one session only (LPDEST,
  // PRINTER) does not count.
  virtual DefaultDestination Default() = 0;
  // The printer's port; nothing when the printer cannot be queried.
  virtual std::optional<std::string> Port(std::string_view printer) = 0;
  // Makes `printer` the user's default. Fails for a printer the system does not know.
  virtual PrinterResult SetUserDefault(std::string_view printer) = 0;
  // Takes the user's own default away, so that the system's default (or none) applies again.
  virtual PrinterResult ClearUserDefault() = 0;
  // Queues `file` on `printer` with `title` as the job's name and `options` (name, value) as
  // job options.
  virtual PrinterResult PrintFile(std::string_view printer, const std::filesystem::path& file, std::string_view title,
                                  const JobOptions& options) = 0;
};

std::unique_ptr<Spooler> MakeSystemSpooler();

// The port of the product's own printer as this system names it: a default printer on this port
// is the product's printer, whatever its name.
std::string_view ProductPrinterPort();

}  // namespace vellumor::platform
