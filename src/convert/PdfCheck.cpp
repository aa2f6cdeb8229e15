#include "convert/PdfCheck.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <exception>

namespace vellumor::convert {

PdfReport CheckPdf(const std::filesystem::path& pdf, const std::string& password, bool strict) {
  PdfReport report;
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.setAttemptRecovery(!strict);
    document.processFile(pdf.c_str(), password.empty() ? nullptr : password.c_str());
    report.opened = true;
    report.pages = static_cast<int>(QPDFPageDocumentHelper(document).getAllPages().size());
    if (strict) {
      // Resolving each object finds entries of the cross-reference table that point nowhere.
      for (QPDFObjectHandle& object : document.getAllObjects()) {
        object.getTypeCode();
      }
    }
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
