#pragma once
// Small text helpers every layer shares, the same on every system (never the C library's
// locale-dependent character classes).

#include <cstdint>
#include <string_view>
#include <type_traits>

namespace vellumor::base {

// The blanks of C's isspace in the C locale: space, tab, line feed, vertical tab, form feed,
// carriage return.
constexpr bool IsAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// The decimal integer at the start of `text`, the way stored flags and numbers are read back:
// leading blanks (space, tab, line feed, vertical tab, form feed, carriage return), an optional
// sign, then digits; anything after the digits is ignored and a text without such digits gives 0.
// A value outside the 32-bit range wraps as a 32-bit integer would, so a damaged store never
// makes the reader fail or overflow.
std::int32_t ParseLeadingInteger(std::string_view text);

// FNV-1a over the code units of `text`, continuing from `hash`: the same number in every run and
// every build, for names that must be short and stable (lock names of paths).
inline constexpr std::uint64_t kFnv1aStart = 0xCBF29CE484222325ULL;
template <typename Char>
std::uint64_t Fnv1a(std::basic_string_view<Char> text, std::uint64_t hash = kFnv1aStart) {
  for (const Char c : text) {
    hash = (hash ^ static_cast<std::make_unsigned_t<Char>>(c)) * 0x100000001B3ULL;
  }
  return hash;
}

}  // namespace vellumor::base
