#pragma once
// Lines on standard error, where the program says what a person or a log should read (never on
// standard output: a printer port or a script reads the PDF's path from there and nothing else).
// Each line is written whole in one write, so that the lines of the processes sharing standard
// error (one per print job) never interleave.

#include <cstdio>
#include <string_view>

namespace vellumor::base {

// Writes `line` and a line end to `stream` in one write, and flushes it.
void WriteLine(std::FILE* stream, std::string_view line);

// The program's own line: "vellumor: <text>".
void WriteProgramLine(std::string_view text, std::FILE* stream = stderr);

}  // namespace vellumor::base
