#pragma once
// The vellumor program's command line, as those who start it write it (the CUPS backend and the
// session agent for a printed job) and the program reads it. Any other argument is a file to print
// (print-files mode). On Windows the entries arrive quoted ("-bReport.doc" as "\"-bReport.doc\""),
// as the printer's port passes them.

#include <string_view>

namespace vellumor::base {

// "-b<document name>": the name of the printed document, which the PDF is named after.
inline constexpr char kDocumentNameOption = 'b';
// "-s<device>:<file>": the identity of the file print-files mode prints, so that the job's PDF is
// never saved over it. Older programs accept and ignore an option they do not know.
inline constexpr char kPrintedFileOption = 's';

// Alone on the command line: the session agent instead of a conversion.
inline constexpr std::string_view kAgentOption = "--agent";
// Alone on the command line: the usage or the version, and nothing else is done.
inline constexpr std::string_view kHelpOption = "--help";
inline constexpr std::string_view kVersionOption = "--version";

}  // namespace vellumor::base
