#include "app/ArgumentTable.h"

#include <string>
#include <utility>

#include "base/Utf8.h"

namespace vellumor::app {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsTrimmed(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text after the program path and the blanks that follow it. A quoted program path runs to
// its closing quote, an unquoted one to the first blank.
std::string_view ArgumentPart(std::string_view commandLine) {
  std::size_t pos{0};
  if (!commandLine.empty() && commandLine.front() == '"') {
    const std::size_t closing = commandLine.find('"', 1);
    pos = closing == std::string_view::npos ? commandLine.size() : closing + 1;
  } else {
    while (pos < commandLine.size() && !IsBlank(commandLine[pos])) {
      ++pos;
    }
  }
  while (pos < commandLine.size() && IsBlank(commandLine[pos])) {
    ++pos;
  }
  return commandLine.substr(pos);
}

// Keeps the table inside its limits: an entry past the 255th is left out, and both cases are
// flagged so that a reader never takes a partial command line for a whole one.
void Store(ArgumentTable& table, std::string&& token, bool cut) {
  if (table.entries.size() >= ArgumentTable::kMaxEntries) {
    table.entriesDropped = true;
    return;
  }
  table.entries.push_back(std::move(token));
  table.cut.push_back(cut);
}

std::string WithoutQuotes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    if (c != '"') {
      result += c;
    }
  }
  return result;
}

}  // namespace

ArgumentTable SplitCommandLine(std::string_view commandLine) {
  ArgumentTable table;
  if (ArgumentPart(commandLine).empty()) {
    return table;
  }
  // Only the space separates, and not inside quotes; quotes and the separating space stay in
  // the entry, as readers expect the raw form.
  std::string token;
  bool inQuotes{false};
  bool tokenFull{false};
  bool tokenCut{false};  // more than the separating space was left out
  for (const char c : commandLine) {
    const bool separates = c == ' ' && !inQuotes;
    if (!tokenFull && token.size() < ArgumentTable::kMaxEntryLength) {
      token += c;
    } else {
      if (!tokenFull) {
        // The entry is full and more follows. A name cut inside a character would carry half of
        // it into the file name: such a character is left out whole.
        const std::size_t kept = base::Utf8Prefix(token + c, ArgumentTable::kMaxEntryLength).size();
        tokenCut = kept < token.size();
        token.resize(kept);
        tokenFull = true;
        table.entriesCut = true;
      }
      tokenCut = tokenCut || !separates;
    }
    if (c == '"') {
      inQuotes = !inQuotes;
    }
    if (separates) {
      Store(table, std::move(token), tokenCut);
      token.clear();
      tokenFull = false;
      tokenCut = false;
    }
  }
  Store(table, std::move(token), tokenCut);
  return table;
}

std::string CommandLineFromArguments(int argc, const char* const* argv) {
  std::string commandLine;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) {
      commandLine += ' ';
    }
    commandLine += '"';
    commandLine += WithoutQuotes(argv[i] == nullptr ? "" : argv[i]);
    commandLine += '"';
  }
  return commandLine;
}

std::string CleanEntry(std::string_view entry) {
  const std::string text = WithoutQuotes(entry);
  std::size_t begin{0};
  std::size_t end{text.size()};
  while (begin < end && IsTrimmed(text[begin])) {
    ++begin;
  }
  while (end > begin && IsTrimmed(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

}  // namespace vellumor::app
