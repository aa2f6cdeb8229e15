#include "app/UnattendedInteraction.h"

#include <algorithm>
#include <string>

#include "base/StandardError.h"

namespace vellumor::app {

void UnattendedInteraction::Line(std::string_view text) {
  // One message, one line: a log reader should not mistake the rest for another message.
  std::string line{text};
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  base::WriteProgramLine(line, out_);
}

void UnattendedInteraction::ShowMessage(std::string_view text, platform::MessageStyle) {
  Line(text);
}

bool UnattendedInteraction::AskYesNo(std::string_view text) {
  Line(std::string{text} + " No (no display to ask on)");
  return false;
}

std::optional<std::string> UnattendedInteraction::ChooseSaveFile(const platform::FileDialogRequest& request) {
  Line(request.title + ": cancelled (no display to ask on)");
  return std::nullopt;
}

std::optional<std::string> UnattendedInteraction::ChooseOpenFile(const platform::FileDialogRequest& request) {
  Line(request.title + ": cancelled (no display to ask on)");
  return std::nullopt;
}

std::optional<std::string> UnattendedInteraction::ChooseFolder(std::string_view title, std::string_view,
                                                               std::string_view) {
  Line(std::string{title} + " cancelled (no display to ask on)");
  return std::nullopt;
}

int UnattendedInteraction::ShowCompletion(std::string_view) {
  return platform::kCompletionNo;
}

}  // namespace vellumor::app
