#pragma once
// The smallest complete PDF the stand-in engine can write: a catalog, a page tree and one page
// per count, each with a line of text, and a cross-reference table with exact offsets.

#include <cstddef>
#include <filesystem>
#include <string>

namespace vellumor::test {

// The file name as the engine receives it: UTF-8 (the program asks for that encoding).
std::filesystem::path PathFromArgument(const std::string& argument);

bool WriteMinimalPdf(const std::string& path, std::size_t pages);

}  // namespace vellumor::test
