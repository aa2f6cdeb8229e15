#pragma once
// Running programs from tests: the built vellumor binary as a printer port would start it, and
// the tools that make print jobs (enscript, groff) or check files.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vellumor::test {

struct ProcessResult {
  int exitCode{-1};  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

struct ProcessOptions {
  std::map<std::string, std::string> setEnvironment;  // added to (or replacing) the test's environment
  std::vector<std::string> unsetEnvironment;
  std::optional<std::filesystem::path> stdinFile;  // /dev/null when not given
  std::optional<std::string> stdinText;            // written through a pipe instead
  std::filesystem::path workingDirectory;
};

// Runs `arguments` (arguments[0] found on PATH) and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& arguments, const ProcessOptions& options = {});

// A program started in the background, to be stopped from outside. Its standard input is a
// pipe the test writes to (and closes, or keeps open to hold the program at its input).
class BackgroundProcess final {
 public:
  BackgroundProcess(const std::vector<std::string>& arguments, const ProcessOptions& options);
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  // Kills the program if it still runs.
  ~BackgroundProcess();

  bool Started() const { return pid_ > 0; }
  int Pid() const { return pid_; }
  void WriteInput(std::string_view text);
  void CloseInput();
  // The test's end of the program's input (-1 once closed), to see whether anyone still reads it.
  int InputDescriptor() const { return input_; }
  bool Signal(int number);
  // Whether the program ended within `timeout`, leaving its input open; Wait then gives its end.
  bool Ended(std::chrono::milliseconds timeout);
  // Waits for the end; exitCode is -1 when a signal ended the program (signalNumber says which).
  ProcessResult Wait(int* signalNumber = nullptr);

 private:
  int pid_{-1};
  int input_{-1};
  std::optional<int> status_;
  std::filesystem::path logs_;
};

// True when the program can be found on PATH.
bool HaveProgram(const std::string& name);

// The processes (of those this user may look at) whose environment holds `entry` ("NAME=value"):
// a run and every process it started, whatever became of their parents.
std::vector<int> ProcessesWithEnvironment(std::string_view entry);
// The processes running as the user `uid`.
std::vector<int> ProcessesOfUser(unsigned uid);
// The processor time `process` has used so far; nothing once it is gone.
std::optional<std::chrono::milliseconds> ProcessorTime(int process);
// Waits until the processes `processes` lists have used `time` of the processor together (a
// looping job is then well inside its loop); false when that took longer than two minutes.
bool WaitUntilBusy(const std::function<std::vector<int>()>& processes, std::chrono::milliseconds time);
// How long until `processes` lists none, up to `limit`; those still listed then are killed.
std::chrono::milliseconds WaitUntilGone(const std::function<std::vector<int>()>& processes,
                                        std::chrono::milliseconds limit);

}  // namespace vellumor::test
