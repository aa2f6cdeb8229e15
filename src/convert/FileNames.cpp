#include "convert/FileNames.h"

#include <optional>
#include <string>

#include "convert/JobState.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vellumor::convert {

namespace {

// The title buffer holds 259 characters; a longer title keeps its beginning.
constexpr std::size_t kMaxTitleLength = 259;

// Marks the end of the bytes read, so that a title line running past them is recognised.
constexpr char kStopByte = static_cast<char>(0xFF);

// Where `pattern` starts in `buffer`, looking only before the first zero byte (the header is
// handled as the text it starts with).
std::optional<std::size_t> FindBeforeZero(std::string_view buffer, std::string_view pattern) {
  const std::string_view text = buffer.substr(0, buffer.find('\0'));
  const std::size_t at = text.find(pattern);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  return at;
}

// Copies from `start` up to one of `ends`. Meeting the stop byte first means the title is not
// complete within the bytes read.
JobTitle CopyTitle(std::string_view buffer, std::size_t start, std::string_view ends) {
  std::size_t pos = start;
  while (pos < buffer.size() && ends.find(buffer[pos]) == std::string_view::npos) {
    if (buffer[pos] == kStopByte) {
      return {TitleSearch::Incomplete, {}};
    }
    ++pos;
  }
  if (pos >= buffer.size()) {
    return {TitleSearch::Incomplete, {}};
  }
  std::string_view title = buffer.substr(start, pos - start);
  // A zero byte ends the title as text, as everywhere else a name is used.
  title = title.substr(0, title.find('\0'));
  // Jobs arrive byte for byte, so a DOS-style line still carries its CR before the LF.
  if (buffer[pos] == '\n' && !title.empty() && title.back() == '\r') {
    title.remove_suffix(1);
  }
  return {TitleSearch::Found, std::string{platform::Utf8Prefix(title, kMaxTitleLength)}};
}

bool IsControlCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The ".pdf" at the end of a name, in whatever case it was typed.
bool EndsWithPdf(std::string_view name) {
  constexpr std::string_view kPdf = ".pdf";
  if (name.size() < kPdf.size()) {
    return false;
  }
  const std::string_view end = name.substr(name.size() - kPdf.size());
  for (std::size_t i = 0; i < kPdf.size(); ++i) {
    if (static_cast<char>(end[i] | 0x20) != kPdf[i]) {
      return false;
    }
  }
  return true;
}

void RemoveEvery(std::string& text, std::string_view pattern) {
  for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern)) {
    text.erase(at, pattern.size());
  }
}

}  // namespace

std::string RemoveIllegalCharacters(std::string_view name) {
  constexpr std::string_view kIllegal = "<>:?*\"/\\|";
  std::string result;
  result.reserve(name.size());
  for (const char c : name) {
    if (kIllegal.find(c) == std::string_view::npos) {
      result += c;
    }
  }
  return result;
}

std::string SoundFileName(std::string_view name) {
  std::string clean;
  clean.reserve(name.size());
  for (const char c : RemoveIllegalCharacters(name)) {
    if (!IsControlCharacter(c)) {
      clean += c;
    }
  }
  const std::size_t ending = EndsWithPdf(clean) ? 4 : 0;
  std::string_view stem{clean.data(), clean.size() - ending};
  if (clean.size() > kMaxFileNameBytes) {
    stem = platform::Utf8Prefix(stem, kMaxFileNameBytes - ending);
  }
  if (stem.find_first_not_of('.') == std::string_view::npos) {
    return std::string{kNoFileName};
  }
  std::string kept = platform::FileNameTheSystemKeeps(std::string{stem} + clean.substr(clean.size() - ending));
  return kept.empty() ? std::string{kNoFileName} : kept;
}

JobTitle ExtractJobTitle(std::string_view header) {
  std::string buffer{header.substr(0, kTitleHeaderBytes)};
  buffer += kStopByte;

  constexpr std::string_view kTitleTag = "%%Title: ";
  if (const auto at = FindBeforeZero(buffer, kTitleTag)) {
    return CopyTitle(buffer, *at + kTitleTag.size(), "\n");
  }
  constexpr std::string_view kJobNameTag = "JOB NAME=";
  if (const auto at = FindBeforeZero(buffer, kJobNameTag)) {
    // The character after "=" is the opening quote.
    const std::size_t start = *at + kJobNameTag.size() + 1;
    if (start >= buffer.size()) {
      return {TitleSearch::Incomplete, {}};
    }
    return CopyTitle(buffer, start, "\n\"");
  }
  return {TitleSearch::NotFound, {}};
}

std::string OutputNameFromTitle(std::string_view title) {
  constexpr std::string_view kNotepad = " - Notepad";
  if (title.size() > kNotepad.size() && title.ends_with(kNotepad)) {
    title.remove_suffix(kNotepad.size());
  }

  // Extensions of 2 to 4 characters are recognised: a dot 3, 4 or 5 characters from the end;
  // scanning towards the front, the leftmost such dot wins. A backslash ends the scan: what
  // follows it is the file name of a path.
  std::optional<std::size_t> extension;
  std::optional<std::size_t> backslash;
  for (std::size_t i = title.size(); i-- > 1;) {
    const std::size_t fromEnd = title.size() - i;
    if (title[i] == '.' && fromEnd >= 3 && fromEnd <= 5) {
      extension = i;
    }
    if (title[i] == '\\') {
      backslash = i;
      break;
    }
  }

  const std::size_t begin = backslash ? *backslash + 1 : 0;
  const std::size_t end = extension ? *extension : title.size();
  std::string name{title.substr(begin, end - begin)};
  name += ".pdf";

  RemoveEvery(name, "http://");
  RemoveEvery(name, "https://");
  return SoundFileName(name);
}

}  // namespace vellumor::convert
