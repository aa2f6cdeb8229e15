#include "support/PdfFacts.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <exception>

namespace vellumor::test {

PdfFacts InspectPdf(const std::filesystem::path& pdf, const std::string& password) {
  PdfFacts facts;
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    // UTF-8 on every system: qpdf takes file names so (on Windows too).
    const std::u8string name = pdf.u8string();
    document.processFile(reinterpret_cast<const char*>(name.c_str()), password.empty() ? nullptr : password.c_str());
    facts.opened = true;
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
    facts.pages = static_cast<int>(pages.size());
    for (QPDFPageObjectHelper page : pages) {
      for (auto& [name, image] : page.getImages()) {
        QPDFObjectHandle filter = image.getDict().getKey("/Filter");
        for (QPDFObjectHandle each : filter.isArray() ? filter.getArrayAsVector() : std::vector{filter}) {
          if (each.isName()) {
            facts.imageFilters.insert(each.getName());
          }
        }
      }
    }
    int revision = 0;
    int permissions = 0;
    facts.encrypted = document.isEncrypted(revision, permissions);
    if (facts.encrypted) {
      facts.revision = revision;
      facts.permissions = permissions;
      QPDFObjectHandle encrypt = document.getTrailer().getKey("/Encrypt");
      facts.version = encrypt.getKey("/V").isInteger() ? encrypt.getKey("/V").getIntValueAsInt() : 0;
      facts.keyLength = encrypt.getKey("/Length").isInteger() ? encrypt.getKey("/Length").getIntValueAsInt() : 40;
      facts.userPasswordMatched = document.userPasswordMatched();
      facts.ownerPasswordMatched = document.ownerPasswordMatched();
    }
    QPDFObjectHandle info = document.getTrailer().getKey("/Info");
    if (info.isDictionary()) {
      for (const std::string& key : info.getKeys()) {
        QPDFObjectHandle value = info.getKey(key);
        if (value.isString()) {
          facts.info[key] = value.getUTF8Value();
        }
      }
    }
    QPDFObjectHandle root = document.getRoot();
    if (root.getKey("/PageMode").isName()) {
      facts.pageMode = root.getKey("/PageMode").getName();
    }
    if (!root.getKey("/OpenAction").isNull()) {
      facts.openAction = root.getKey("/OpenAction").unparseResolved();
    }
  } catch (const std::exception& error) {
    facts.error = error.what();
  }
  return facts;
}

}  // namespace vellumor::test
