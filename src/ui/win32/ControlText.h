#pragma once
// Texts as a control shows them: a static control of ours takes no mnemonics, so the "&&" by
// which a template writes one "&" is shown as that one "&".

#include <string>
#include <string_view>

namespace vellumor::native {

inline std::string ShownText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    shown += text[at];
    if (text[at] == '&' && at + 1 < text.size() && text[at + 1] == '&') {
      ++at;
    }
  }
  return shown;
}

}  // namespace vellumor::native
