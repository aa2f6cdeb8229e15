#pragma once
// Starting programs on behalf of others, stopping them and collecting how they ended, for a
// process that starts several and waits for none in particular.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vellumor::platform {

struct ChildLaunch {
  std::filesystem::path program;
  std::vector<std::string> arguments;    // the whole argument vector, the program's name first
  std::vector<std::string> environment;  // "NAME=value" entries, exactly these
  std::filesystem::path workingFolder;
  int input{-1};   // becomes standard input
  int output{-1};  // becomes standard output and standard error; -1: the starter's are kept
};

struct ChildEnd {
  int process{0};
  bool signalled{false};  // ended by the signal `code`, else exited with status `code`
  int code{0};
};

// Starts the program in a process group of its own (a terminal's interrupt meant for the starter
// does not reach it) with default signal handling; its process id, or nothing with the reason.
std::optional<int> StartChild(const ChildLaunch& launch, std::string& error);
// Asks the child to end (SIGTERM), or ends it at once (SIGKILL) when `now`.
void StopChild(int process, bool now);
// The children that have ended since the last call, without waiting.
std::vector<ChildEnd> CollectEndedChildren();

// The argument (or environment) vector of `texts` as exec takes it; valid while `texts` is.
std::vector<char*> ArgumentVector(std::vector<std::string>& texts);

// This process's environment as "NAME=value" entries.
std::vector<std::string> CurrentEnvironment();
// The file of the running program itself (not a path it was started by).
std::filesystem::path RunningProgram();

}  // namespace vellumor::platform
