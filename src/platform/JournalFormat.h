#pragma once
// The run journal's records, shared by the run that writes them and the run that repairs
// after it. Each record is a kind letter and a value, ended by a NUL byte (no path holds one);
// a record cut off by the death of its run has no NUL and is ignored.
//
// A journal names each file and folder its run creates, and how to know it again: the name is
// written down before the run tries to create it, and the identity (device and file number) of
// what it created right after, or that it did not create it. Only what a journal names with the
// identity still found there is its run's, or what a run killed between the two records could
// just have made: an empty file or folder at a name it was about to create.

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIdentity.h"

namespace vellumor::platform::journal {

inline constexpr char kSignature = 'V';   // the first record: this is a run journal, of this format
inline constexpr char kWillCreate = 'W';  // the path is about to be created (exclusively)
inline constexpr char kCreated = 'C';     // "<device>:<file>:<path>": the path was created, with that identity
inline constexpr char kNotCreated = 'N';  // the announced path was not created after all

inline constexpr std::string_view kSignatureText = "vellumor run journal 2";
inline constexpr std::string_view kPrefix = "vlm";
inline constexpr std::string_view kJournalExtension = ".run";
inline constexpr std::string_view kStagedPrefix = ".vellumor-";
inline constexpr std::size_t kTagLength = 8;

// A run's tag: eight hexadecimal digits, random, so that runs rarely try the same name twice.
inline std::string NewTag() {
  std::random_device random;
  const unsigned value = random();
  constexpr char kDigits[] = "0123456789abcdef";
  std::string tag(kTagLength, '0');
  for (std::size_t i = 0; i < kTagLength; ++i) {
    tag[i] = kDigits[(value >> (4 * i)) & 0xF];
  }
  return tag;
}

// The tag of a journal's file name ("vlm<tag>.run"); nothing for any other name.
inline std::optional<std::string> TagOfJournalName(std::string_view name) {
  if (name.size() != kPrefix.size() + kTagLength + kJournalExtension.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kJournalExtension)) {
    return std::nullopt;
  }
  const std::string_view tag = name.substr(kPrefix.size(), kTagLength);
  if (tag.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
    return std::nullopt;
  }
  return std::string{tag};
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

inline std::string CreatedValue(const FileIdentity& identity, std::string_view path) {
  return identity.Text() + ":" + std::string{path};
}

// The identity and path of a kCreated record's value.
inline std::optional<std::pair<FileIdentity, std::string>> ParseCreated(std::string_view value) {
  const std::size_t device = value.find(':');
  const std::size_t file = device == std::string_view::npos ? device : value.find(':', device + 1);
  if (file == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<FileIdentity> identity = FileIdentity::Parse(value.substr(0, file));
  if (!identity) {
    return std::nullopt;
  }
  return std::pair{*identity, std::string{value.substr(file + 1)}};
}

}  // namespace vellumor::platform::journal
