#include "ui/model/ChoiceList.h"

#include <algorithm>
#include <charconv>

namespace vellumor::dialog {

namespace {

char Folded(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessIgnoringCase(std::string_view left, std::string_view right) {
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                      [](char a, char b) { return Folded(a) < Folded(b); });
}

bool BeginsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return Folded(a) == Folded(b); });
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::vector<std::string_view> DisplayedEntries(const Control& control) {
  std::vector<std::string_view> entries(control.entries.begin(), control.entries.end());
  if ((control.style & kSorted) != 0) {
    std::stable_sort(entries.begin(), entries.end(), LessIgnoringCase);
  }
  return entries;
}

int FirstEntryBeginningWith(const std::vector<std::string_view>& entries, std::string_view text) {
  if (text.empty()) {
    return -1;
  }
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (BeginsWithIgnoringCase(entries[index], text)) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

void LoadChoice(DialogView& view, const Control& control, std::string_view text) {
  const int index = FirstEntryBeginningWith(DisplayedEntries(control), text);
  if (index >= 0) {
    view.SetSelection(control.id, index);
  } else {
    view.SetText(control.id, text);
  }
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  // from_chars takes a minus sign but not a plus sign.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
    text.remove_prefix(1);
  }
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vellumor::dialog
