#pragma once
// UTF-8, the encoding the program uses for every name and text: reading characters and cutting
// texts without breaking one. Bytes that do not form well-formed UTF-8 (stray continuation bytes,
// overlong forms, surrogates, values beyond U+10FFFF, sequences cut short) are never taken for a
// character; what to make of them is the caller's choice.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vellumor::base {

struct Utf8Character {
  char32_t codePoint{0};
  std::size_t length{0};  // in bytes, 1 to 4
};

// The character whose well-formed UTF-8 sequence starts at `pos` (which must lie inside `text`);
// nothing when the bytes there are not one.
std::optional<Utf8Character> DecodeUtf8(std::string_view text, std::size_t pos);

// The longest start of `text` of at most `limit` bytes that does not end inside a UTF-8
// character, so that shortening a name never leaves half a character behind. Bytes that are not
// UTF-8 at all are taken one by one.
std::string_view Utf8Prefix(std::string_view text, std::size_t limit);

}  // namespace vellumor::base
