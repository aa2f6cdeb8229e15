#include "support/PdfFacts.h"
#include "support/Process.h"

namespace vellumor::test {

std::string PdfText(const std::filesystem::path& pdf, const std::string& password) {
  std::vector<std::string> arguments{"pdftotext", "-layout"};
  if (!password.empty()) {
    arguments.insert(arguments.end(), {"-upw", password});
  }
  arguments.insert(arguments.end(), {pdf.string(), "-"});
  return RunProcess(arguments).out;
}

}  // namespace vellumor::test
