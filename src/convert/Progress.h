#pragma once
// The progress display of a running conversion: a bar cycling through four positions to show
// activity, and a small window with the file name and the page the engine reports.

#include <string_view>

#include "convert/JobState.h"
#include "platform/UserInteraction.h"

namespace vellumor::convert {

void StepProgressBar(JobState& state, platform::UserInteraction& ui);

// Called for every chunk the engine writes to its standard output.
void OnProgressTick(JobState& state, platform::UserInteraction& ui, std::string_view engineOutputText);

}  // namespace vellumor::convert
