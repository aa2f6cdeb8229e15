#include "app/UnattendedInteraction.h"

#include <string>

namespace vellumor::app {

void UnattendedInteraction::Line(std::string_view text) {
  std::string line = "vellumor: ";
  // One message, one line: a log reader should not mistake the rest for another message.
  for (const char c : text) {
    line += (c == '\n' || c == '\r') ? ' ' : c;
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
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
