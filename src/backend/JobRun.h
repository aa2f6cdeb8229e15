#pragma once
// Running the vellumor program for one print job, as the user who printed it: handed to the
// user's graphical session when a session agent serves it, else unattended, waiting for the result.
//
// What the job reports to the scheduler:
//   - handed to the session: done ("completed") once the session's agent holds the whole job and
//     has started the program; from then on the program's windows tell the user how it ends,
//     exactly as for a program started by hand, and the printer says no more about that PDF;
//   - unattended: done only when the program says the PDF was written, else failed with why;
//   - cancelled (or past the printer's time limit) before either: the program, or the session's
//     copy of the job, is stopped, and the job fails saying that no PDF was written.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backend/JobUser.h"

namespace vellumor::backend {

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
// the job is done (PDF written, or handed to the session).
bool RunJob(const JobRequest& request);

}  // namespace vellumor::backend
