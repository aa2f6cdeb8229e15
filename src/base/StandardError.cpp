#include "base/StandardError.h"

#include <string>

namespace vellumor::base {

void WriteLine(std::FILE* stream, std::string_view line) {
  std::string text{line};
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void WriteProgramLine(std::string_view text, std::FILE* stream) {
  std::string line = "vellumor: ";
  line += text;
  WriteLine(stream, line);
}

}  // namespace vellumor::base
