#include "settings/SetupFile.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/PathText.h"
#include "platform/WholeFile.h"

namespace vellumor::settings {

namespace {

// The Windows product reads a line into a 255-byte buffer, so only this much of a line counts;
// keeping the same cut keeps files read the same on both systems.
constexpr std::size_t kLineLimit = 254;

constexpr char kSeparator = ';';

// Far above any real setup file (42 short lines); a bigger file is none, and reading it whole
// could take the memory and the time of a job.
constexpr std::size_t kMaxSetupFileBytes = std::size_t{1} << 20;

// Appends a text value the way the Windows product's text-mode write stores it: every line
// feed becomes CR LF.
void AppendTextValue(std::string& out, std::string_view value) {
  for (const char c : value) {
    if (c == '\n') {
      out += '\r';
    }
    out += c;
  }
}

// The next token of a line starting at `pos`: runs of separators count as one and leading
// ones are skipped. Nothing when the line has no further token.
std::optional<std::string_view> NextToken(std::string_view line, std::size_t& pos) {
  pos = line.find_first_not_of(kSeparator, pos);
  if (pos == std::string_view::npos) {
    pos = line.size();
    return std::nullopt;
  }
  const std::size_t end{std::min(line.find(kSeparator, pos), line.size())};
  const std::string_view token{line.substr(pos, end - pos)};
  pos = end;
  return token;
}

void ApplyLine(std::string_view line, Settings& settings) {
  // A NUL ends the text of a line, as it does for the C strings of the Windows product; it
  // also keeps NUL bytes out of values that go on to the registry.
  line = line.substr(0, line.find('\0'));
  std::size_t pos{0};
  const std::optional<std::string_view> name{NextToken(line, pos)};
  // The update interval belongs to this machine, never to a shared setup file.
  if (!name || *name == "AdvCheckUpdate") {
    return;
  }
  const FieldInfo* field{FindField(*name)};
  if (field == nullptr) {
    return;
  }
  const std::optional<std::string_view> value{NextToken(line, pos)};
  if (field->kind == FieldKind::Text) {
    settings.*field->text = value.value_or(std::string_view{});
  } else if (value) {
    // A flag or number line without a value keeps the field: turning a lost value into 0
    // would, for instance, switch off a flag the user never touched.
    settings.*field->number = ParseLeadingInteger(*value);
  }
}

}  // namespace

std::string SetupFileText(const Settings& settings) {
  std::string text;
  for (const FieldInfo& field : SetupFileFieldOrder()) {
    text += field.name;
    text += kSeparator;
    if (field.kind == FieldKind::Text) {
      AppendTextValue(text, settings.*field.text);
    } else {
      text += std::to_string(settings.*field.number);
    }
    text += "\r\n";
  }
  return text;
}

bool WriteSetupFile(const std::filesystem::path& path, const Settings& settings, platform::UserInteraction& ui) {
  const std::string shownPath{platform::Utf8FromPath(path)};
  // The file holds the passwords: it is written private, and a failed write keeps the old one.
  const platform::WholeFileWrite written{platform::ReplaceWholeFile(path, SetupFileText(settings))};
  if (!written.written) {
    ui.ShowMessage("Can't save to :" + shownPath + "\n" + written.reason, platform::MessageStyle::Application);
    return false;
  }
  if (shownPath != kDefaultSetupFileName) {
    ui.ShowMessage("Saved to file: " + shownPath, platform::MessageStyle::Application);
  }
  return true;
}

SetupFileRead ReadSetupFile(const std::filesystem::path& path, Settings& settings, platform::FinalLink link) {
  const platform::WholeFileRead file{platform::ReadWholeFile(path, kMaxSetupFileBytes, link)};
  switch (file.status) {
    case platform::WholeFileRead::Status::Read:
      ReadSetupText(file.contents, settings);
      return {true, {}};
    case platform::WholeFileRead::Status::Refused:
      return {false, file.reason};
    case platform::WholeFileRead::Status::Missing:
    case platform::WholeFileRead::Status::Unreadable:
      // Like a file that cannot be opened: ignored without a word. A folder is among these.
      break;
  }
  return {false, {}};
}

void ReadSetupText(std::string_view text, Settings& settings) {
  // Lines end with a line feed; the last one need not. Only the first kLineLimit characters of a
  // line are kept, so an over-long value can never turn its tail into a line of its own. A CR
  // right before the line feed belongs to the CR LF pair; past the limit it is among the dropped.
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.size() <= kLineLimit && line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    ApplyLine(line.substr(0, kLineLimit), settings);
  }
}

}  // namespace vellumor::settings
