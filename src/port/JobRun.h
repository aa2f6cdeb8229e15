#pragma once
// Running the vellumor program for one print job, as the user who printed it: in the user's
// graphical session when a session agent serves it, else unattended. The job is done only when
// the program says the PDF was written; cancelled, or past the printer's time limit, the program
// is stopped and the job fails saying that no PDF was written.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "port/JobUser.h"

namespace vellumor::port {

struct JobRequest {
  std::string id;  // the scheduler's job number, for the log
  JobUser user;
  std::filesystem::path program;
  std::string title;        // becomes the document name option
  std::string printedFile;  // the identity of the file a print-files job prints, or ""
  int input{0};             // the job's PostScript, handed over as standard input
  std::optional<std::chrono::seconds> timeLimit;
};

// The program's arguments: the document name option "-b<title>" when there is a title, and
// "-s<identity>" naming the file being printed when there is one.
std::vector<std::string> ProgramArguments(const JobRequest& request);

// Runs the job as told above, writing what the scheduler should know to its channel; true when
// the PDF was written.
bool RunJob(const JobRequest& request);

}  // namespace vellumor::port
