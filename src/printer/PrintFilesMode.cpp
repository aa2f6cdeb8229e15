#include "printer/PrintFilesMode.h"

#include <fstream>
#include <system_error>
#include <thread>

#include "platform/FileIdentity.h"
#include "platform/PathText.h"
#include "printer/DefaultPrinter.h"
#include "printer/ProductPrinter.h"

namespace vellumor::printer {
namespace {

constexpr std::chrono::milliseconds kStep{100};
constexpr int kStepsPerSecond = 10;

bool IsRealPrinterName(const std::string& name) {
  return !name.empty() && name != kPrinterNotSet;
}

// Why `path` cannot be handed to the printer, or "" when it can. The print request sends the
// file's contents, so it has to be a file this user can open for reading (a regular file: opening
// it has no effect and cannot wait).
std::string Unprintable(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) {
    return "the file does not exist";
  }
  if (!std::filesystem::is_regular_file(status) || !std::ifstream{path, std::ios::binary}.is_open()) {
    return "it is not a file that can be read";
  }
  return "";
}

}  // namespace

PrintFilesPacing RealTimePacing() {
  return PrintFilesPacing{[](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }};
}

PrintFilesMode::PrintFilesMode(platform::Spooler& printers, platform::UserInteraction& ui, PrintFilesPacing pacing)
    : printers_{printers}, ui_{ui}, pacing_{std::move(pacing)} {}

PrintFilesReport PrintFilesMode::Run(const std::vector<FileArgument>& files, bool filesLeftOut) {
  // The default before anything changes: what is put back at the end.
  const std::string previousName = GetDefaultPrinterName(printers_);
  bool switched = false;
  const std::string printer = SwitchToProductPrinter(previousName, switched);

  PrintFilesReport report;
  for (const FileArgument& file : files) {
    if (file.path.empty() && !file.cut) {
      continue;
    }
    if (printer.empty()) {
      ++report.notPrinted;
    } else if (PrintOne(printer, file)) {
      ++report.queued;
    } else {
      ++report.notPrinted;
    }
  }
  if (printer.empty() && report.notPrinted > 0) {
    // Sending the files to some other default printer instead would put them on paper, or
    // wherever that printer leads, which is not what was asked for.
    Report("The printer \"" + std::string{ProductPrinterName} +
           "\" is not installed or could not be made the default printer; no file was printed.");
  }
  if (filesLeftOut) {
    ++report.notPrinted;
    Report("The command line holds more files than can be taken at once; the last ones were not printed.");
  }
  if (report.queued > 0) {
    Wait(pacing_.settleSeconds);
  }
  if (switched) {
    PutBack(previousName);
  }
  Wait(pacing_.closingSeconds);
  return report;
}

std::string PrintFilesMode::SwitchToProductPrinter(const std::string& previousName, bool& switched) {
  switched = false;
  // A default on the product's port is the product's printer, whatever its name.
  if (IsRealPrinterName(previousName) &&
      GetPrinterPortName(printers_, previousName) == platform::ProductPrinterPort()) {
    return previousName;
  }
  if (SetDefaultPrinter(printers_, ProductPrinterName) != 0) {
    return "";
  }
  switched = true;
  for (int attempt = 0; attempt < pacing_.switchAttempts; ++attempt) {
    Wait(1);
    if (GetDefaultPrinterName(printers_) == ProductPrinterName) {
      return std::string{ProductPrinterName};
    }
  }
  // The change does not show: something else set another default meanwhile.
  return "";
}

bool PrintFilesMode::PrintOne(const std::string& printer, const FileArgument& file) {
  if (file.cut) {
    Report("A file name on the command line is too long and was not printed: \"" + file.path + "...\"");
    return false;
  }
  const std::filesystem::path path = platform::PathFromUtf8(file.path);
  if (const std::string reason = Unprintable(path); !reason.empty()) {
    Report("Cannot print \"" + file.path + "\": " + reason + ".");
    return false;
  }
  // The job learns which file it prints, so that its PDF is never saved over it.
  platform::JobOptions options;
  if (const std::optional<platform::FileIdentity> identity = platform::IdentityOf(path)) {
    options.emplace_back(kPrintedFileJobOption, identity->Text());
  }
  const platform::PrinterResult result =
      printers_.PrintFile(printer, path, platform::Utf8FromPath(path.filename()), options);
  if (!result.Ok()) {
    Report("Cannot print \"" + file.path + "\": " + result.error);
    return false;
  }
  return true;
}

void PrintFilesMode::PutBack(const std::string& previousName) {
  if (IsRealPrinterName(previousName)) {
    if (SetDefaultPrinter(printers_, previousName) != 0) {
      Report("The default printer could not be set back to \"" + previousName + "\".");
    }
    return;
  }
  // There was no default printer, or one that named a printer that is gone: the product's
  // printer must not stay the default in its place.
  if (const platform::PrinterResult result = printers_.ClearUserDefault(); !result.Ok()) {
    Report("The printer \"" + std::string{ProductPrinterName} +
           "\" could not be removed as default printer: " + result.error);
  }
}

void PrintFilesMode::Wait(int seconds) {
  for (int step = 0; step < seconds * kStepsPerSecond; ++step) {
    pacing_.sleep(kStep);
    ui_.PumpMessages();
  }
}

void PrintFilesMode::Report(const std::string& text) {
  ui_.ShowMessage(text, platform::MessageStyle::Application);
}

}  // namespace vellumor::printer
