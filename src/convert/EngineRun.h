#pragma once
// One run of the engine over the job: the inputs in their order (the PDF appended to, the job,
// the marks file), the engine's output feeding the progress display, the job fed to the engine
// as it reads it (which is where a cancellation stops it), and what the run tells beyond its
// result code: its error text, whether writing failed, and how many pages the output device
// had received before and after the job.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/Engine.h"
#include "convert/JobState.h"
#include "platform/Cancellation.h"
#include "platform/UserInteraction.h"

namespace vellumor::convert {

struct EngineJob {
  std::vector<std::string> switches;  // BuildEngineArguments
  std::filesystem::path output;       // the file the engine writes
  std::optional<std::filesystem::path> appendSource;
  std::string appendPassword;  // opens the PDF appended to; "" for none
  std::filesystem::path job;
  std::optional<std::filesystem::path> marks;
};

struct EngineRunResult {
  int code{0};  // the init code, or the exit code when the init ended normally
  std::string errorText;
  bool writeFailed{false};            // the engine reported an I/O error
  std::optional<int> pagesBeforeJob;  // pages the device had after the PDF appended to
  std::optional<int> pagesAfterJob;   // pages the device had after the job (not when it quit)
};

// The argument table for `job` (its last entries read the job from standard input).
std::vector<std::string> EngineRunArguments(const EngineJob& job);

EngineRunResult RunEngine(EngineInstance& engine, const EngineJob& job, JobState& state, platform::UserInteraction& ui,
                          const platform::Cancellation* cancellation);

}  // namespace vellumor::convert
