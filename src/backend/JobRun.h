#pragma once
// Running the vellumor program for one print job, as the user who printed it: in the user's
// graphical session when a session agent serves it, else unattended.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backend/JobUser.h"

namespace vellumor::backend {

struct JobRequest {
  JobUser user;
  std::filesystem::path program;
  std::string title;        // becomes the document name option
  std::string printedFile;  // the identity of the file a print-files job prints, or ""
  int input{0};             // the job's PostScript, handed over as standard input
};

// The program's arguments: the document name option "-b<title>" when there is a title, and
// "-s<identity>" naming the file being printed when there is one.
std::vector<std::string> ProgramArguments(const JobRequest& request);

// Starts the program with the user's rights (groups, group, user): through the user's session
// agent, else with the user's home folder and a clean environment without a display; waits for it and returns its exit
// status. A termination request (the job was cancelled) is passed on to it. Nothing, with the reason in `error`, when
// it could not be started or did not exit normally.
std::optional<int> RunJob(const JobRequest& request, std::string& error);

}  // namespace vellumor::backend
