#pragma once
// Running programs from tests: the built vellumor binary as a printer port would start it, and
// the tools that make print jobs (enscript, groff) or check files.

#include <filesystem>
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

// True when the program can be found on PATH.
bool HaveProgram(const std::string& name);

}  // namespace vellumor::test
