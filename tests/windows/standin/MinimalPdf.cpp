#include "standin/MinimalPdf.h"

#include <cstdio>
#include <fstream>
#include <vector>

namespace vellumor::test {

namespace {

std::string Offset(std::size_t offset) {
  char text[32];
  std::snprintf(text, sizeof(text), "%010zu 00000 n \n", offset);
  return text;
}

}  // namespace

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path{std::u8string{argument.begin(), argument.end()}};
}

bool WriteMinimalPdf(const std::string& path, std::size_t pages) {
  // Objects: 1 catalog, 2 page tree, 3 font, then a page and its content for every page.
  std::vector<std::string> objects;
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (std::size_t page = 0; page < pages; ++page) {
    kids += std::to_string(4 + 2 * page) + " 0 R ";
  }
  objects.push_back("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages) + " >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  for (std::size_t page = 0; page < pages; ++page) {
    const std::string text = "BT /F1 24 Tf 72 720 Td (Page " + std::to_string(page + 1) + ") Tj ET";
    objects.push_back(
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
        "/Contents " +
        std::to_string(5 + 2 * page) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream");
  }
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    pdf += Offset(offset);
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  std::ofstream out(PathFromArgument(path), std::ios::binary | std::ios::trunc);
  out.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace vellumor::test
