// The printing system on libcups. Every call opens what it needs and frees it before returning;
// nothing is cached, because other programs change printers and defaults while this one runs.

#include <cups/cups.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "platform/Environment.h"
#include "platform/Spooler.h"

namespace vellumor::platform {
namespace {

// The destinations libcups knows, freed with the object.
class DestinationList final {
 public:
  DestinationList() : count_{cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_)} {}
  ~DestinationList() { cupsFreeDests(count_, dests_); }
  DestinationList(const DestinationList&) = delete;
  DestinationList& operator=(const DestinationList&) = delete;

  cups_dest_t* Find(std::string_view name) { return cupsGetDest(std::string{name}.c_str(), nullptr, count_, dests_); }
  void ClearDefaults() {
    for (int i = 0; i < count_; ++i) {
      dests_[i].is_default = 0;
    }
  }
  // Writes the user's lpoptions file; the defaults marked here become the user's default.
  bool Save() { return cupsSetDests2(CUPS_HTTP_DEFAULT, count_, dests_) == 0; }
  bool Empty() const { return count_ == 0; }

 private:
  cups_dest_t* dests_{nullptr};
  int count_;
};

std::string LastError(std::string_view fallback) {
  const char* text = cupsLastErrorString();
  return text != nullptr && *text != '\0' ? std::string{text} : std::string{fallback};
}

std::string Variable(const char* name) {
  return GetEnvironmentVariable(name).value_or("");
}

// The name on the first "Default" line of an lpoptions file ("Default name[/instance] ...").
std::string DefaultInOptionsFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    constexpr std::string_view kKeyword = "default";
    if (line.size() <= kKeyword.size() || (line[kKeyword.size()] != ' ' && line[kKeyword.size()] != '\t')) {
      continue;
    }
    bool matches = true;
    for (std::size_t i = 0; i < kKeyword.size(); ++i) {
      matches = matches && std::tolower(static_cast<unsigned char>(line[i])) == kKeyword[i];
    }
    if (!matches) {
      continue;
    }
    const std::size_t begin = line.find_first_not_of(" \t", kKeyword.size());
    if (begin == std::string::npos) {
      continue;
    }
    return line.substr(begin, line.find_first_of(" \t/", begin) - begin);
  }
  return "";
}

// The scheduler's own default printer; "" when it has none or cannot be asked.
std::string ServerDefaultName() {
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
  std::string name;
  if (response != nullptr) {
    if (ipp_attribute_t* attribute = ippFindAttribute(response, "printer-name", IPP_TAG_NAME)) {
      if (const char* text = ippGetString(attribute, 0, nullptr)) {
        name = text;
      }
    }
    ippDelete(response);
  }
  return name;
}

// The default as saved: the user's lpoptions, the system's lpoptions, the scheduler's default.
// libcups puts the LPDEST and PRINTER variables before all of these, but they choose a printer
// for one session and are not what SetUserDefault changes: a default read from them and later
// "put back" would overwrite the user's saved one.
std::string SavedDefaultName() {
  if (std::string home = Variable("HOME"); !home.empty()) {
    if (std::string name = DefaultInOptionsFile(std::filesystem::path{home} / ".cups/lpoptions"); !name.empty()) {
      return name;
    }
  }
  std::string serverRoot = Variable("CUPS_SERVERROOT");
  if (std::string name =
          DefaultInOptionsFile(std::filesystem::path{serverRoot.empty() ? "/etc/cups" : serverRoot} / "lpoptions");
      !name.empty()) {
    return name;
  }
  return ServerDefaultName();
}

class CupsSpooler final : public Spooler {
 public:
  DefaultDestination Default() override {
    const std::string named = SavedDefaultName();
    if (named.empty()) {
      return {};
    }
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, named.c_str(), nullptr)) {
      DefaultDestination found{DefaultDestination::State::Found, dest->name};
      cupsFreeDests(1, dest);
      return found;
    }
    return {DefaultDestination::State::Unreadable, named};
  }

  // A printer's port is its device URI.
  std::optional<std::string> Port(std::string_view printer) override {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, std::string{printer}.c_str(), nullptr);
    if (dest == nullptr) {
      return std::nullopt;
    }
    std::optional<std::string> uri;
    if (const char* value = cupsGetOption("device-uri", dest->num_options, dest->options)) {
      uri = value;
    }
    cupsFreeDests(1, dest);
    return uri;
  }

  PrinterResult SetUserDefault(std::string_view printer) override {
    DestinationList dests;
    cups_dest_t* dest = dests.Find(printer);
    if (dest == nullptr) {
      return {dests.Empty() ? LastError("no printers") : "no printer is named \"" + std::string{printer} + "\""};
    }
    dests.ClearDefaults();
    dest->is_default = 1;
    return {dests.Save() ? "" : LastError("the printer options could not be saved")};
  }

  PrinterResult ClearUserDefault() override {
    DestinationList dests;
    // Saving an empty list would wipe the user's options for every printer.
    if (dests.Empty()) {
      return {LastError("no printers")};
    }
    dests.ClearDefaults();
    return {dests.Save() ? "" : LastError("the printer options could not be saved")};
  }

  PrinterResult PrintFile(std::string_view printer, const std::filesystem::path& file, std::string_view title,
                          const JobOptions& options) override {
    int count = 0;
    cups_option_t* cupsOptions = nullptr;
    for (const auto& [name, value] : options) {
      count = cupsAddOption(name.c_str(), value.c_str(), count, &cupsOptions);
    }
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, std::string{printer}.c_str(), file.c_str(),
                                   std::string{title}.c_str(), count, cupsOptions);
    cupsFreeOptions(count, cupsOptions);
    if (job <= 0) {
      return {LastError("the print request failed")};
    }
    return {"", job};
  }
};

}  // namespace

std::unique_ptr<Spooler> MakeSystemSpooler() {
  return std::make_unique<CupsSpooler>();
}

// The device URI the product's CUPS backend announces; the install script reads it from there.
std::string_view ProductPrinterPort() {
  return "vellumor:/";
}

}  // namespace vellumor::platform
