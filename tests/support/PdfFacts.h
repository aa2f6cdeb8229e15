#pragma once
// Reading a produced PDF with qpdf (and its text with poppler's pdftotext), independently of the
// code that wrote it.

#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace vellumor::test {

struct PdfFacts {
  bool opened{false};
  std::string error;
  int pages{0};
  bool encrypted{false};
  int revision{0};     // /R
  int version{0};      // /V
  int keyLength{0};    // /Length of /Encrypt in bits (40 when absent)
  int permissions{0};  // /P
  bool userPasswordMatched{false};
  bool ownerPasswordMatched{false};
  std::map<std::string, std::string> info;  // "/Title" -> UTF-8 text
  std::string pageMode;                     // "/UseOutlines" ...
  std::string openAction;                   // the /OpenAction object, unparsed
  std::set<std::string> imageFilters;       // the /Filter names of every page's images
};

// Opens the PDF with `password` ("" for none).
PdfFacts InspectPdf(const std::filesystem::path& pdf, const std::string& password = "");

// The text of every page, pages separated by form feeds (pdftotext -layout).
std::string PdfText(const std::filesystem::path& pdf, const std::string& password = "");

}  // namespace vellumor::test
