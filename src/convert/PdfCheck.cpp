#include "convert/PdfCheck.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <exception>

#include "platform/PathText.h"

namespace vellumor::convert {

PdfReport CheckPdf(const std::filesystem::path& pdf, const std::string& password, bool strict) {
  PdfReport report;
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.setAttemptRecovery(!strict);
    // qpdf takes file names as UTF-8 on every system.
    document.processFile(platform::Utf8FromPath(pdf).c_str(), password.empty() ? nullptr : password.c_str());
    report.opened = true;
    // Walking the page tree reads every page object; a file cut short has already failed
    // above, as its cross-reference table and trailer come last.
    report.pages = static_cast<int>(QPDFPageDocumentHelper(document).getAllPages().size());
    const std::vector<QPDFExc> warnings = document.getWarnings();
    if (!warnings.empty()) {
      report.problem = warnings.front().what();
    }
    report.whole = warnings.empty();
  } catch (const QPDFExc& error) {
    report.needsPassword = error.getErrorCode() == qpdf_e_password;
    report.problem = error.what();
    report.opened = false;
    report.whole = false;
  } catch (const std::exception& error) {
    report.problem = error.what();
    report.opened = false;
    report.whole = false;
  }
  return report;
}

}  // namespace vellumor::convert
