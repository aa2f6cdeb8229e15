#include "convert/Conversion.h"

#include "convert/AfterCreation.h"
#include "convert/EngineArguments.h"
#include "convert/JobIntake.h"
#include "convert/OutputNaming.h"
#include "convert/PdfWriter.h"
#include "convert/Progress.h"

namespace vellumor::convert {

ConversionOutcome RunConversion(JobState& state, const Services& services) {
  platform::UserInteraction& ui = services.ui;
  const settings::Settings& s = state.settings;

  std::unique_ptr<EngineInstance> engine = NewEngineOrReport(services);
  if (!engine) {
    return {ConversionResult::EngineUnavailable, {}};
  }
  std::vector<std::string> arguments = BuildEngineArguments(s);

  const std::optional<OutputPath> resolved = ResolveOutputPath(state, services);
  if (!resolved) {
    engine.reset();
    if (services.Cancelled()) {
      return {ConversionResult::Cancelled, {}};
    }
    ui.ShowMessage(kNoFileNameMessage, platform::MessageStyle::Application);
    return {ConversionResult::NoFileName, {}};
  }
  if (!resolved->failure.empty()) {
    engine.reset();
    ReportConversionFailure(ui, resolved->failure);
    return {ConversionResult::Failed, {}};
  }
  const std::filesystem::path output = std::filesystem::absolute(resolved->path);

  PdfWriter writer{state, services, std::move(arguments), output, s.AdvAskOverwrite != 0 && !resolved->fromSaveDialog};
  const ConversionResult result = writer.Write(std::move(engine));
  // Only a PDF that is in place is offered to open; the append lock is gone by now, so the
  // completion window waiting for the user holds up no other job.
  if (result == ConversionResult::Written) {
    PerformAfterCreation(state, services, output);
  }
  return {result, output};
}

void ReportConversionFailure(platform::UserInteraction& ui, std::string_view detail) {
  std::string text{kConversionFailedMessage};
  if (!detail.empty()) {
    text += "\n\n";
    text += detail;
  }
  ui.ShowMessage(text, platform::MessageStyle::Application);
}

std::unique_ptr<EngineInstance> NewEngineOrReport(const Services& services) {
  int code = 0;
  std::unique_ptr<EngineInstance> engine = services.engine.NewInstance(code);
  if (!engine) {
    services.ui.ShowMessage(kEngineInitMessage, platform::MessageStyle::System);
    if (const std::string reason = services.engine.Unavailable(); !reason.empty()) {
      ReportConversionFailure(services.ui, reason);
    }
  }
  return engine;
}

ConversionOutcome CreatePdf(JobState& state, const Services& services) {
  platform::UserInteraction& ui = services.ui;
  const bool showProgress = state.settings.AdvShowProgress != 0;
  if (showProgress) {
    ui.SetProgressBarVisible(true);
    ui.SetProgressBarPosition(1);
    ui.PumpMessages();
    state.ProgressStep = 2;
    ui.PumpMessages();
    StepProgressBar(state, ui);
  } else {
    ui.SetProgressBarVisible(false);
  }

  ConversionOutcome outcome{ConversionResult::NoJobFile, {}};
  if (JobFileExists(state)) {
    outcome = RunConversion(state, services);
  } else {
    if (ui.ProgressWindowExists()) {
      ui.DestroyProgressWindow();
    }
    ui.ShowMessage(kNoJobFileMessage, platform::MessageStyle::Application);
  }

  ui.SetProgressBarVisible(false);
  ui.PumpMessages();
  if (ui.ProgressWindowExists()) {
    ui.DestroyProgressWindow();
  }
  return outcome;
}

}  // namespace vellumor::convert
