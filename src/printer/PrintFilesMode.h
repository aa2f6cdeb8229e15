#pragma once
// Print-files mode: the given files are printed through the product's printer. The product's
// printer is made the user's default for the duration (unless the default already is one on the
// product's port), every file is queued on it, and the previous default is put back.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/UserInteraction.h"

namespace vellumor::printer {

// One file argument as the command line gave it.
struct FileArgument {
  std::string path;  // quotes removed, blanks trimmed; "" for an empty argument (skipped)
  bool cut{false};   // shortened by the command-line limit: not the name the user gave
};

// The waits of print-files mode. They are whole seconds spent in 100 ms steps, with the user's
// windows served after each step; `sleep` is what passes one step.
struct PrintFilesPacing {
  std::function<void(std::chrono::milliseconds)> sleep;
  int switchAttempts{8};  // seconds to wait at most for the new default to show
  int settleSeconds{5};   // after the last request, before the default is put back
  int closingSeconds{1};  // before the process ends
};

// Real time: the thread sleeps.
PrintFilesPacing RealTimePacing();

struct PrintFilesReport {
  int queued{0};      // files handed to the printer
  int notPrinted{0};  // files that were given but not handed to the printer (each was reported)
};

class PrintFilesMode final {
 public:
  PrintFilesMode(platform::Spooler& printers, platform::UserInteraction& ui, PrintFilesPacing pacing);

  // `filesLeftOut`: the command line held more arguments than could be taken.
  PrintFilesReport Run(const std::vector<FileArgument>& files, bool filesLeftOut);

 private:
  // The printer the files go to, or "" when the product's printer could not be made the default.
  std::string SwitchToProductPrinter(const std::string& previousName, bool& switched);
  bool PrintOne(const std::string& printer, const FileArgument& file);
  void PutBack(const std::string& previousName);
  void Wait(int seconds);
  void Report(const std::string& text);

  platform::Spooler& printers_;
  platform::UserInteraction& ui_;
  PrintFilesPacing pacing_;
};

}  // namespace vellumor::printer
