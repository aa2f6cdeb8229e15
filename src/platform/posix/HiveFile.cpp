#include "platform/posix/HiveFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/Utf8.h"

namespace vellumor::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  const char lower = AsciiLower(c);
  if (lower >= 'a' && lower <= 'f') {
    return lower - 'a' + 10;
  }
  return -1;
}

// Writes `bytes` as a quoted string. Control characters, DEL and bytes that are not part of a
// well-formed UTF-8 character are escaped, so the file stays plain text that editors and line
// handling cannot damage, while every byte still comes back exactly.
void AppendQuoted(std::string& out, std::string_view bytes) {
  out += '"';
  for (std::size_t pos = 0; pos < bytes.size();) {
    const char c = bytes[pos];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u >= 0x80) {
      if (const std::optional<base::Utf8Character> character = base::DecodeUtf8(bytes, pos)) {
        out.append(bytes.substr(pos, character->length));
        pos += character->length;
        continue;
      }
      out += "\\x";
      out += kUpperHexDigits[u >> 4];
      out += kUpperHexDigits[u & 0x0F];
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += kUpperHexDigits[u >> 4];
      out += kUpperHexDigits[u & 0x0F];
    } else {
      out += c;
    }
    ++pos;
  }
  out += '"';
}

void AppendHexBytes(std::string& out, std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto u = static_cast<unsigned char>(bytes[i]);
    if (i > 0) {
      out += ',';
    }
    out += kHexDigits[u >> 4];
    out += kHexDigits[u & 0x0F];
  }
}

void AppendValueLine(std::string& out, const RegistryValue& value) {
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  if (value.type == kRegSz && value.data.find('\0') == std::string::npos) {
    AppendQuoted(out, value.data);
  } else if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t number{0};
    for (std::size_t i = 4; i-- > 0;) {
      number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    }
    out += "dword:";
    for (int shift = 28; shift >= 0; shift -= 4) {
      out += kHexDigits[(number >> shift) & 0x0F];
    }
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      out += "hex(";
      std::string digits;
      std::uint32_t type = value.type;
      do {
        digits.insert(digits.begin(), kHexDigits[type & 0x0F]);
        type >>= 4;
      } while (type != 0);
      out += digits;
      out += "):";
    }
    AppendHexBytes(out, value.data);
  }
  out += '\n';
}

// Reads a quoted string starting at `pos` (which holds the opening quote) and moves `pos` past
// the closing quote.
std::optional<std::string> ParseQuoted(std::string_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') {
    return std::nullopt;
  }
  std::string result;
  for (++pos; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      ++pos;
      return result;
    }
    if (c != '\\') {
      result += c;
      continue;
    }
    if (++pos >= line.size()) {
      return std::nullopt;
    }
    switch (line[pos]) {
      case '\\':
      case '"':
        result += line[pos];
        break;
      case 'n':
        result += '\n';
        break;
      case 'r':
        result += '\r';
        break;
      case 't':
        result += '\t';
        break;
      case 'x': {
        if (pos + 2 >= line.size()) {
          return std::nullopt;
        }
        const int high = HexValue(line[pos + 1]);
        const int low = HexValue(line[pos + 2]);
        if (high < 0 || low < 0) {
          return std::nullopt;
        }
        result += static_cast<char>(high * 16 + low);
        pos += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;  // no closing quote: the line was cut short
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string bytes;
  std::size_t pos{0};
  const auto skipBlanks = [&] {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
      ++pos;
    }
  };
  skipBlanks();
  while (pos < text.size()) {
    if (pos + 1 >= text.size() || HexValue(text[pos]) < 0 || HexValue(text[pos + 1]) < 0) {
      return std::nullopt;
    }
    bytes += static_cast<char>(HexValue(text[pos]) * 16 + HexValue(text[pos + 1]));
    pos += 2;
    skipBlanks();
    if (pos < text.size()) {
      if (text[pos] != ',') {
        return std::nullopt;
      }
      ++pos;
      skipBlanks();
      if (pos >= text.size()) {
        return std::nullopt;  // a trailing comma means a byte is missing
      }
    }
  }
  return bytes;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) {
    return std::nullopt;
  }
  std::uint32_t number{0};
  for (const char c : digits) {
    const int digit = HexValue(c);
    if (digit < 0) {
      return std::nullopt;
    }
    number = number * 16 + static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::optional<RegistryValue> ParseValueLine(std::string_view line) {
  RegistryValue value;
  std::size_t pos{0};
  if (line[0] == '@') {
    pos = 1;
  } else {
    std::optional<std::string> name = ParseQuoted(line, pos);
    if (!name || name->empty()) {
      return std::nullopt;  // the default value is written "@", never as ""
    }
    value.name = std::move(*name);
  }
  if (pos >= line.size() || line[pos] != '=') {
    return std::nullopt;
  }
  const std::string_view data = line.substr(pos + 1);
  if (!data.empty() && data[0] == '"') {
    std::size_t dataPos{0};
    std::optional<std::string> text = ParseQuoted(data, dataPos);
    if (!text || dataPos != data.size()) {
      return std::nullopt;
    }
    value.type = kRegSz;
    value.data = std::move(*text);
  } else if (data.starts_with("dword:")) {
    const std::optional<std::uint32_t> number = ParseHexNumber(data.substr(6), 8);
    if (!number) {
      return std::nullopt;
    }
    value.type = kRegDword;
    for (int shift = 0; shift < 32; shift += 8) {
      value.data += static_cast<char>((*number >> shift) & 0xFF);
    }
  } else {
    std::string_view bytes;
    if (data.starts_with("hex:")) {
      value.type = kRegBinary;
      bytes = data.substr(4);
    } else if (data.starts_with("hex(")) {
      const std::size_t close = data.find("):");
      if (close == std::string_view::npos) {
        return std::nullopt;
      }
      const std::optional<std::uint32_t> type = ParseHexNumber(data.substr(4, close - 4), 8);
      if (!type) {
        return std::nullopt;
      }
      value.type = *type;
      bytes = data.substr(close + 2);
    } else {
      return std::nullopt;
    }
    std::optional<std::string> parsed = ParseHexBytes(bytes);
    if (!parsed) {
      return std::nullopt;
    }
    value.data = std::move(*parsed);
  }
  return value;
}

struct HiveLine {
  std::string text;
  std::size_t number;  // of its first line in the file, counting from 1
};

bool ContinuesHexList(const std::string& line) {
  return !line.empty() && (line[0] == '"' || line[0] == '@') && line.back() == '\\' &&
         line.find("=hex") != std::string::npos;
}

// Splits the text into lines, dropping a carriage return before each line feed, and joins a
// hex list that continues on the next line after a trailing backslash. Only a line that starts
// with a hex digit continues a list: a damaged list must not swallow the section or value after
// it.
std::vector<HiveLine> LogicalLines(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
  }
  std::vector<HiveLine> lines;
  bool continues{false};
  std::size_t start{0};
  for (std::size_t number = 1; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (continues) {
      const std::size_t first = line.find_first_not_of(" \t");
      if (first != std::string_view::npos && HexValue(line[first]) >= 0) {
        lines.back().text.append(line.substr(first));
      } else {
        lines.push_back(HiveLine{std::string{line}, number});
      }
    } else {
      lines.push_back(HiveLine{std::string{line}, number});
    }
    continues = ContinuesHexList(lines.back().text);
    if (continues) {
      lines.back().text.pop_back();
    }
  }
  return lines;
}

}  // namespace

bool KeyPathsEqual(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) {
    return false;
  }
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (AsciiLower(left[i]) != AsciiLower(right[i])) {
      return false;
    }
  }
  return true;
}

HiveKey* Hive::FindKey(std::string_view path) {
  for (HiveKey& key : keys) {
    if (KeyPathsEqual(key.path, path)) {
      return &key;
    }
  }
  return nullptr;
}

const HiveKey* Hive::FindKey(std::string_view path) const {
  return const_cast<Hive*>(this)->FindKey(path);
}

RegistryValue* FindValue(HiveKey& key, std::string_view name) {
  for (RegistryValue& value : key.values) {
    if (value.name == name) {
      return &value;
    }
  }
  return nullptr;
}

const RegistryValue* FindValue(const HiveKey& key, std::string_view name) {
  return FindValue(const_cast<HiveKey&>(key), name);
}

ParsedHive ParseHive(std::string_view text) {
  ParsedHive parsed;
  Hive& hive = parsed.hive;
  bool headerSeen{false};
  HiveKey* current{nullptr};
  for (const HiveLine& entry : LogicalLines(text)) {
    const std::string& line = entry.text;
    if (line.empty() || line[0] == ';') {
      continue;
    }
    bool readable{true};
    if (!headerSeen) {
      headerSeen = true;
      if (line == kHeader) {
        continue;
      }
      readable = false;  // the header is missing; the line itself may still hold a section or value
    }
    if (line[0] == '[') {
      current = nullptr;  // the values under a damaged section header belong to no known key
      if (line.size() >= 3 && line.back() == ']') {
        std::string path = line.substr(1, line.size() - 2);
        current = hive.FindKey(path);
        if (current == nullptr) {
          hive.keys.push_back(HiveKey{std::move(path), {}});
          current = &hive.keys.back();
        }
      } else {
        readable = false;
      }
    } else if ((line[0] == '"' || line[0] == '@') && current != nullptr) {
      if (std::optional<RegistryValue> value = ParseValueLine(line)) {
        if (RegistryValue* existing = FindValue(*current, value->name)) {
          *existing = std::move(*value);
        } else {
          current->values.push_back(std::move(*value));
        }
      } else {
        readable = false;
      }
    } else {
      readable = false;
    }
    if (!readable) {
      parsed.damage.Note(entry.number);
    }
  }
  return parsed;
}

std::string SerializeHive(const Hive& hive) {
  std::string out{kHeader};
  out += "\n\n";
  for (const HiveKey& key : hive.keys) {
    out += '[';
    out += key.path;
    out += "]\n";
    for (const RegistryValue& value : key.values) {
      AppendValueLine(out, value);
    }
    out += '\n';
  }
  return out;
}

}  // namespace vellumor::platform
