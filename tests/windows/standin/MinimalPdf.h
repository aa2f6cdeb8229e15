#pragma once
// The smallest complete PDF the stand-in engine can write: a catalog, a page tree and a page for
// each text, showing that text, and a cross-reference table with exact offsets. It reads its own
// files back page by page.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::test {

// The file name as the engine receives it: UTF-8 (the program asks for that encoding).
std::filesystem::path PathFromArgument(const std::string& argument);

bool WriteMinimalPdf(const std::filesystem::path& path, const std::vector<std::string>& pageTexts);

// The text of each page of a PDF this writer made; for any other PDF, "page <n>" for each page
// object it holds.
std::vector<std::string> PageTextsOf(std::string_view pdf);

}  // namespace vellumor::test
