#pragma once
// The run journal's records, shared by the run that writes them and the run that repairs
// after it. Each record is a kind letter and a value, ended by a NUL byte (no path holds one);
// a record cut off by the death of its run has no NUL and is ignored.

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::platform::journal {

inline constexpr char kPending = 'P';      // a temporary file is about to be created
inline constexpr char kTemporary = 'T';    // a temporary file (its path) was created
inline constexpr char kNoTemporary = 'N';  // the announced temporary file was not created after all
inline constexpr char kFolder = 'F';       // staged files may appear in this folder

inline constexpr std::string_view kPrefix = "vlm";
inline constexpr std::string_view kJournalExtension = ".run";
inline constexpr std::string_view kStagedPrefix = ".vellumor-";

// A run's tag: eight hexadecimal digits, random, so that runs rarely try the same name twice.
inline std::string NewTag() {
  std::random_device random;
  const unsigned value = random();
  constexpr char kDigits[] = "0123456789abcdef";
  std::string tag(8, '0');
  for (int i = 0; i < 8; ++i) {
    tag[static_cast<std::size_t>(i)] = kDigits[(value >> (4 * i)) & 0xF];
  }
  return tag;
}

struct Record {
  char kind;
  std::string value;
};

inline std::vector<Record> ParseRecords(std::string_view text) {
  std::vector<Record> records;
  while (!text.empty()) {
    const std::size_t end = text.find('\0');
    if (end == std::string_view::npos) {
      break;
    }
    records.push_back({text[0], std::string{text.substr(1, end - 1)}});
    text.remove_prefix(end + 1);
  }
  return records;
}

}  // namespace vellumor::platform::journal
