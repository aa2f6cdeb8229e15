#pragma once
// The two questions the program answers without doing any of its work: its usage and its
// version. Every other argument keeps its meaning (a file to print, or the document name option).

#include <optional>
#include <string>

namespace vellumor::app {

// The text to print on standard output when the only argument is exactly "--help" or
// "--version"; nothing otherwise. A file of that name is still printed when named as "./--help".
std::optional<std::string> InformationRequested(int argc, const char* const* argv);

}  // namespace vellumor::app
