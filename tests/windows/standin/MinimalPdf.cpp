#include "standin/MinimalPdf.h"

#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

namespace vellumor::test {

namespace {

constexpr std::string_view kTextStart = "BT /F1 24 Tf 72 720 Td (";
constexpr std::string_view kTextEnd = ") Tj ET";

std::string PdfText(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '(' || c == ')' || c == '\\') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::size_t Count(std::string_view text, std::string_view word) {
  std::size_t count{0};
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + word.size())) {
    ++count;
  }
  return count;
}

std::string Offset(std::size_t offset) {
  char text[32];
  std::snprintf(text, sizeof(text), "%010zu 00000 n \n", offset);
  return text;
}

}  // namespace

std::filesystem::path PathFromArgument(const std::string& argument) {
  return std::filesystem::path{std::u8string{argument.begin(), argument.end()}};
}

bool WriteMinimalPdf(const std::filesystem::path& path, const std::vector<std::string>& pageTexts) {
  const std::size_t pages = pageTexts.size();
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
    const std::string text = std::string{kTextStart} + PdfText(pageTexts[page]) + std::string{kTextEnd};
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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  return static_cast<bool>(out.flush());
}

std::vector<std::string> PageTextsOf(std::string_view pdf) {
  std::vector<std::string> texts;
  for (std::size_t at = pdf.find(kTextStart); at != std::string_view::npos; at = pdf.find(kTextStart, at)) {
    at += kTextStart.size();
    std::string text;
    for (; at < pdf.size() && pdf.substr(at, kTextEnd.size()) != kTextEnd; ++at) {
      if (pdf[at] == '\\' && at + 1 < pdf.size()) {
        ++at;
      }
      text += pdf[at];
    }
    texts.push_back(std::move(text));
  }
  if (texts.empty()) {
    const std::size_t pages = Count(pdf, "/Type /Page\n") + Count(pdf, "/Type /Page ") + Count(pdf, "/Type/Page/");
    for (std::size_t page = 1; page <= pages; ++page) {
      texts.push_back("page " + std::to_string(page));
    }
  }
  return texts;
}

}  // namespace vellumor::test
