#pragma once
// Reading a PDF back with qpdf, independently of the engine that wrote it: whether it opens
// (and with which password), whether it is whole, and how many pages it holds. A conversion
// trusts neither the engine's result code (it reports a full disk but returns success) nor its
// reading of an old PDF (it drops the pages of a file it cannot decrypt and carries on).

#include <filesystem>
#include <string>

namespace vellumor::convert {

struct PdfReport {
  bool opened{false};         // read at all
  bool needsPassword{false};  // encrypted, and the password given does not open it
  bool whole{false};          // read without a repair and without a single complaint
  int pages{0};
  std::string problem;  // qpdf's first complaint, when there was one
};

// Opens `pdf` with `password` ("" for none). `strict` refuses to rebuild a damaged file, as a
// check of a file just written needs; without it the file is read the way a viewer would (a
// repaired file still counts its pages).
PdfReport CheckPdf(const std::filesystem::path& pdf, const std::string& password, bool strict);

}  // namespace vellumor::convert
