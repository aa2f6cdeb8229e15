#pragma once
// The command line split into entries, as the rest of the program reads it.

#include <string>
#include <string_view>
#include <vector>

namespace vellumor::app {

// At most 255 entries of at most 254 characters. Entries keep their raw form: quotes kept,
// each entry but the last ends with its separating space.
struct ArgumentTable {
  static constexpr std::size_t kMaxEntries = 255;
  static constexpr std::size_t kMaxEntryLength = 254;

  std::vector<std::string> entries;
  // For each entry: it lost more than its separating space to the length limit, so readers must
  // not act on it as if it were whole.
  std::vector<bool> cut;
  // Set when the command line did not fit: entries beyond the limit were left out, or an entry
  // was cut to the length limit.
  bool entriesDropped{false};
  bool entriesCut{false};

  int Count() const { return static_cast<int>(entries.size()); }
};

ArgumentTable SplitCommandLine(std::string_view commandLine);

// The command line a Windows process would see: the program path, then every argument, each
// enclosed in double quotes, joined by single spaces. Double quotes inside an argument are
// dropped (they cannot be carried).
std::string CommandLineFromArguments(int argc, const char* const* argv);

// An entry as readers use it: every double quote removed, blanks trimmed at both ends.
std::string CleanEntry(std::string_view entry);

}  // namespace vellumor::app
