#include "convert/MarksFile.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "base/Utf8.h"

namespace vellumor::convert {

constexpr std::string_view kMarksSuffix = ".mark.txt";

namespace {

bool IsPlainAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

// A PostScript literal string; control characters as escapes so that line breaks in a typed
// title cannot end the string or the line early.
std::string LiteralString(std::string_view text) {
  std::string out{"("};
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
      case '(':
      case ')':
        out += '\\';
        out += c;
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += '\\';
          out += static_cast<char>('0' + ((byte >> 6) & 7));
          out += static_cast<char>('0' + ((byte >> 3) & 7));
          out += static_cast<char>('0' + (byte & 7));
        } else {
          out += c;
        }
    }
  }
  out += ')';
  return out;
}

void AppendHexUnit(std::string& out, std::uint16_t unit) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) {
    out += kHex[(unit >> shift) & 0xF];
  }
}

// A PDF text string in UTF-16BE with its byte order mark, as a PostScript hex string.
std::string Utf16HexString(std::string_view text) {
  std::string out{"<FEFF"};
  std::size_t pos{0};
  while (pos < text.size()) {
    char32_t code{0};
    if (const std::optional<base::Utf8Character> character = base::DecodeUtf8(text, pos)) {
      code = character->codePoint;
      pos += character->length;
    } else {
      // Not UTF-8: the byte is read as Latin-1, which keeps older stored texts readable.
      code = static_cast<unsigned char>(text[pos]);
      ++pos;
    }
    if (code >= 0x10000) {
      const char32_t offset = code - 0x10000;
      AppendHexUnit(out, static_cast<std::uint16_t>(0xD800 + (offset >> 10)));
      AppendHexUnit(out, static_cast<std::uint16_t>(0xDC00 + (offset & 0x3FF)));
    } else {
      AppendHexUnit(out, static_cast<std::uint16_t>(code));
    }
  }
  out += '>';
  return out;
}

// "%.2lf" that always writes a decimal point: a comma from the user's locale would not be a
// PostScript number.
std::string FormatTwoDecimals(double value) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
  return {buffer.data(), result.ptr};
}

}  // namespace

std::string PdfMarkString(std::string_view text) {
  return IsPlainAscii(text) ? LiteralString(text) : Utf16HexString(text);
}

std::string MarksFileText(const settings::Settings& settings, std::string_view producer) {
  const double zoom = static_cast<double>(settings::ParseLeadingInteger(settings.AdvZoom)) / 100.0;
  std::string text;
  // The comments are fixed texts; they do not follow the zoom value.
  text += "[/View [/XYZ null null " + FormatTwoDecimals(zoom) + "]  % unspecified x and y offset, 100% zoom\r\n";
  text += "/Page 1\r\n";
  text += "/PageMode /UseOutlines % /UseNone /UserOutlines /UseThumbs /FullScreen\r\n";
  text += "/DOCVIEW pdfmark\r\n";
  text += "\r\n";
  text += "[/Title " + PdfMarkString(settings.DocTitle) + "\r\n";
  text += "/Author " + PdfMarkString(settings.DocAuthor) + "\r\n";
  text += "/Subject " + PdfMarkString(settings.DocSubject) + "\r\n";
  text += "/Keywords " + PdfMarkString(settings.DocKeywords) + "\r\n";
  text += "/Creator " + PdfMarkString(kCreator) + "\r\n";
  text += "/Producer " + PdfMarkString(producer) + "\r\n";
  text += "/DOCINFO pdfmark\r\n";
  text += "\r\n";
  return text;
}

std::filesystem::path MarksReservation(const std::filesystem::path& marks) {
  // Cut in the system's own encoding: a narrow copy of a Windows path is in the ANSI code page,
  // which may not hold the folder's name (the suffix is ASCII, as long in either encoding).
  const std::filesystem::path::string_type& path = marks.native();
  return path.substr(0, path.size() - kMarksSuffix.size());
}

std::optional<std::filesystem::path> WriteMarksFile(const platform::TempFolder& temp,
                                                    const settings::Settings& settings, std::string_view producer,
                                                    platform::RunJournal* journal) {
  const auto reservation = temp.Reserve("vlm", journal);
  if (!reservation) {
    return std::nullopt;
  }
  // Created new and readable by the user alone (the document's title and keywords are the
  // user's); a cut-off marks file would be broken PostScript and could fail the whole
  // conversion, so converting without one is the better outcome.
  std::filesystem::path path{*reservation};
  path += kMarksSuffix;
  if (!platform::TempFolder::WriteNewFile(path, MarksFileText(settings, producer), journal)) {
    std::error_code ignored;
    std::filesystem::remove(*reservation, ignored);
    return std::nullopt;
  }
  return path;
}

}  // namespace vellumor::convert
