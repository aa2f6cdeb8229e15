#pragma once
// The main window without the window: runs its initialisation (settings, command line, job,
// automatic conversion) and its commands on the plain working state, so that a job converts
// the same with or without a display.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ArgumentTable.h"
#include "convert/Conversion.h"
#include "convert/JobState.h"
#include "convert/Services.h"
#include "platform/Spooler.h"
#include "printer/PrintFilesMode.h"

namespace vellumor::app {

// Process exit status.
inline constexpr int kExitSuccess = 0;      // the PDF was written (or there was nothing to write)
inline constexpr int kExitNotWritten = 1;   // a job arrived but no PDF was written
inline constexpr int kExitNothingToDo = 2;  // no job and nobody to edit settings, or a start-up failure

enum class StartMode {
  Finished,     // the automatic conversion ran and the window closes
  WaitForUser,  // settings mode, a manual save mode, or "&Settings" in the completion window
  PrintFiles,   // file arguments: print them through the product's printer
};

struct StartOutcome {
  StartMode mode{StartMode::WaitForUser};
  int exitCode{kExitSuccess};
  std::optional<convert::ConversionOutcome> conversion;  // the automatic conversion, when it ran
  int firstFileIndex{0};                                 // PrintFiles: the first file's entry
};

class MainController final {
 public:
  MainController(const convert::Services& services, ArgumentTable arguments, std::filesystem::path homeFolder);

  // Loads the settings, reads the command line and the job from `input`, and converts at once in
  // the automatic save modes.
  StartOutcome Initialise(int input);

  // "&Create PDF".
  convert::ConversionOutcome CreatePdf();
  // "Cancel" and the close box: keeps the settings and removes the job file.
  void Cancel();
  // Removes everything this process left in the temporary folder.
  void RemoveTemporaryFiles();

  // Print-files mode, after Initialise found file arguments from `firstFileIndex` on: prints
  // them through the product's printer. The exit status: kExitSuccess when every file was
  // handed to the printer, kExitNotWritten when one was not (each such file is reported).
  int PrintFiles(int firstFileIndex, platform::Spooler& printers, printer::PrintFilesPacing pacing);

  convert::JobState& State() { return state_; }
  const ArgumentTable& Arguments() const { return arguments_; }

 private:
  // Reads the options at the head of the command line; the index of the first file argument,
  // or nothing when there are only options.
  std::optional<int> ProcessCommandLine();

  const convert::Services& services_;
  ArgumentTable arguments_;
  std::filesystem::path homeFolder_;
  convert::JobState state_;
  bool storedSettingsUnread_{false};  // the registry holds settings that could not be read
};

// The entries from `firstFileIndex` on as print-files mode takes them: quotes removed, blanks
// trimmed, and an entry the command-line limit cut short marked as such.
std::vector<printer::FileArgument> FileArguments(const ArgumentTable& arguments, int firstFileIndex);

}  // namespace vellumor::app
