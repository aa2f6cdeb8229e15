#include "convert/JobIntake.h"

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "convert/EngineEnvironment.h"
#include "convert/FileNames.h"
#include "convert/OutputNaming.h"
#include "platform/InputCopy.h"
#include "platform/PathText.h"

namespace vellumor::convert {

void ReceivePrintJob(JobState& state, const Services& services, int input) {
  if (state.settings.AdvSheafwrightFilename != 0) {
    LoadSiblingSettings(state, services.temp, services.ui);
  }
  state.NoJobData = false;

  if (services.journal != nullptr) {
    services.journal->WillCreateTemporary();
  }
  if (const std::optional<std::filesystem::path> reserved = services.temp.Reserve("vlm")) {
    if (services.journal != nullptr) {
      services.journal->CreatedTemporary(*reserved);
    }
    state.TemporaryFiles.push_back(*reserved);
    state.JobFilePath = *reserved;
    state.JobFilePath += ".ps";
  }
  state.OutputFileName = state.DocumentName.empty() ? std::string{kNoFileName} : state.DocumentName + ".pdf";

  // Someone starting the program at a terminal has no job to give; do not wait for typing.
  if (input < 0 || platform::IsTerminal(input)) {
    state.NoJobData = true;
    return;
  }
  if (state.JobFilePath.empty()) {
    return;  // "&Create PDF" reports the missing job file
  }
  std::error_code ignored;
  const platform::InputCopy copy =
      platform::CopyInputToNewFile(input, state.JobFilePath, kTitleHeaderBytes, services.cancellation);
  switch (copy.result) {
    case platform::InputCopy::Result::Copied:
      break;
    case platform::InputCopy::Result::NotCreated:
      state.JobFilePath.clear();
      return;
    case platform::InputCopy::Result::NoData:
      state.NoJobData = true;
      return;
    case platform::InputCopy::Result::Cancelled:
      std::filesystem::remove(state.JobFilePath, ignored);
      return;
    case platform::InputCopy::Result::Failed:
      // A job cut short would silently become a PDF with pages missing; without the file the
      // conversion reports the missing job instead.
      DiagnosticOutput("Error - Copying the print job failed");
      std::filesystem::remove(state.JobFilePath, ignored);
      return;
  }

  if (state.DocumentName.empty()) {
    const JobTitle title = ExtractJobTitle(copy.head);
    if (title.result == TitleSearch::Incomplete) {
      std::filesystem::remove(state.JobFilePath, ignored);
      services.ui.ShowMessage("Error getting filename", platform::MessageStyle::System);
      return;
    }
    if (title.title.empty()) {
      state.settings.SaveAs = std::string{settings::entries::kAskAuto};
      state.OutputFileName = OutputNameFromTitle(kNoFileName);
    } else {
      state.OutputFileName = OutputNameFromTitle(platform::Utf8FromJobText(title.title));
    }
  }
  ApplyNamingRules(state, services.clock);
}

bool JobFileExists(const JobState& state) {
  if (state.JobFilePath.empty()) {
    return false;
  }
  const std::ifstream job{state.JobFilePath, std::ios::binary};
  return job.is_open();
}

bool DeleteJobFile(const JobState& state) {
  if (state.JobFilePath.empty()) {
    return true;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::error_code error;
    std::filesystem::remove(state.JobFilePath, error);
    if (!error) {
      return true;  // removed, or nothing was there
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void RemoveTemporaryFiles(JobState& state) {
  DeleteJobFile(state);
  std::error_code ignored;
  for (const std::filesystem::path& path : state.TemporaryFiles) {
    std::filesystem::remove(path, ignored);
  }
  state.TemporaryFiles.clear();
}

}  // namespace vellumor::convert
