#pragma once
// The program, whatever the entry point of the system calls it from.

#include <optional>
#include <string>

namespace vellumor::app {

// Runs the program with its arguments in UTF-8. `commandLine` is the whole command line as the
// process was given it, where the system keeps one (Windows); without it the line is rebuilt from
// the arguments as such a system would pass them.
int RunProgram(int argc, char** argv, const std::optional<std::string>& commandLine);

}  // namespace vellumor::app
