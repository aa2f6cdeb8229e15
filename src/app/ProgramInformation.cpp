#include "app/ProgramInformation.h"

#include <string_view>

#include "convert/MarksFile.h"

namespace vellumor::app {
namespace {

// The version the project is built as is the one the program writes into every PDF.
static_assert(convert::kCreator.ends_with(" v" VELLUMOR_VERSION),
              "the project version and the product version text differ");

constexpr std::string_view kUsage =
    "Usage: vellumor [-bDOCUMENT] < JOB.ps   convert a print job (PostScript) into a PDF\n"
    "       vellumor                         edit the settings (needs a display)\n"
    "       vellumor FILE...                 print the files on the Vellumor printer\n"
    "       vellumor --help | --version\n"
    "\n"
    "Without a display the program runs unattended: the PDF's path is written on standard output\n"
    "and messages on standard error. Exit status: 0 PDF written or files printed, 1 no PDF written\n"
    "or a file not printed, 2 nothing to do or could not start. See vellumor(1).\n";

// The program links Ghostscript, which is offered under the GNU AGPL version 3 or later; the
// program is offered under the same licence, and says so where people look for it.
constexpr std::string_view kLicence =
    "Copyright (C) 2024-2026 Corvane Software\n"
    "License AGPL-3.0-or-later: GNU Affero General Public License, version 3 or later\n"
    "<https://www.gnu.org/licenses/agpl-3.0.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace

std::optional<std::string> InformationRequested(int argc, const char* const* argv) {
  if (argc != 2 || argv[1] == nullptr) {
    return std::nullopt;
  }
  const std::string_view argument{argv[1]};
  if (argument == "--help") {
    return std::string{kUsage};
  }
  if (argument == "--version") {
    return std::string{"vellumor " VELLUMOR_VERSION "\n"} + std::string{kLicence};
  }
  return std::nullopt;
}

}  // namespace vellumor::app
