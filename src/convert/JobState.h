#pragma once
// The state of one job: the settings record and the values the pipeline forms for the job (the
// output name, the document name, the run mode, the current setup file, the job's files and the
// progress display). Plain data, owned by the controller; the main window shows it and what it
// derives from it (the summaries) is the window's own.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileIdentity.h"
#include "settings/Settings.h"
#include "settings/SetupFile.h"

namespace vellumor::convert {

inline constexpr std::string_view kNoFileName = "nofile.pdf";

struct JobState {
  settings::Settings settings;
  std::string OutputFileName;  // the "Filename:" field: a name without folder
  std::string BaseFileName;    // OutputFileName before prefix, postfix and date tokens
  std::string DocumentName;    // from the "-b" option; "" when absent
  bool FileNameTint{false};    // a document name is in use
  bool NoJobData{false};       // standard input delivered nothing: settings mode
  bool KeepMainWindowOpen{false};
  std::filesystem::path CurrentSetupFile{std::string{settings::kDefaultSetupFileName}};

  // The files this job prints in print-files mode (handed over on the command line): its PDF is
  // never saved over one of them.
  std::vector<platform::FileIdentity> FilesBeingPrinted;

  std::filesystem::path JobFilePath;  // "" until the job file was reserved
  // Reservation files and other leftovers to remove when the process ends.
  std::vector<std::filesystem::path> TemporaryFiles;
  int ProgressStep{0};           // next position of the progress bar
  std::string ProgressPageLine;  // the progress window's page line
};

}  // namespace vellumor::convert
