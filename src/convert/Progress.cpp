#include "convert/Progress.h"

#include <string>

namespace vellumor::convert {
namespace {

// The page number after "Page:" within the next 8 characters: blanks skipped, digits read.
int PageNumberAfter(std::string_view text) {
  text = text.substr(0, 8);
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') {
    ++at;
  }
  long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
  }
  return static_cast<int>(value);
}

}  // namespace

void StepProgressBar(JobState& state, platform::UserInteraction& ui) {
  ui.SetProgressBarVisible(true);
  ui.PumpMessages();
  if (state.ProgressStep <= 0 || state.ProgressStep > 4) {
    state.ProgressStep = 1;
  }
  ui.SetProgressBarPosition(state.ProgressStep);
  ++state.ProgressStep;
  ui.PumpMessages();
  ui.PumpMessages();
}

void OnProgressTick(JobState& state, platform::UserInteraction& ui, std::string_view engineOutputText) {
  StepProgressBar(state, ui);
  if (state.settings.AdvShowWindow == 0) {
    return;
  }
  if (!ui.ProgressWindowExists()) {
    state.ProgressPageLine.clear();
    ui.CreateProgressWindow();
    return;
  }
  ui.PumpMessages();
  if (!ui.ProgressWindowExists()) {
    return;
  }
  const std::size_t page = engineOutputText.find("Page:");
  if (page != std::string_view::npos) {
    state.ProgressPageLine = "Pages: " + std::to_string(PageNumberAfter(engineOutputText.substr(page + 5)));
  }
  ui.SetProgressWindowLines("Filename: " + state.OutputFileName, state.ProgressPageLine);
}

}  // namespace vellumor::convert
