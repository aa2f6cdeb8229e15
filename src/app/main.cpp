// vellumor: a print job on standard input becomes a PDF; with no job it edits the settings;
// with file arguments it prints those files through the Vellumor printer; with --agent it waits in
// a graphical session and starts itself there for each printed job.

#include "app/Program.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "agent/AgentStart.h"
#include "app/ArgumentTable.h"
#include "app/FrontEnd.h"
#include "app/MainController.h"
#include "app/ProgramInformation.h"
#include "app/UnattendedInteraction.h"
#include "base/ProgramOptions.h"
#include "base/StandardError.h"
#include "convert/Engine.h"
#include "convert/EngineProcess.h"
#include "platform/Cancellation.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Environment.h"
#include "platform/InputCopy.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/RunJournal.h"
#include "platform/Shell.h"
#include "platform/Spooler.h"
#include "platform/TempFolder.h"

namespace {

using namespace vellumor;

// Without a display nobody can press "&Create PDF" or edit settings; say why nothing happened.
int FinishUnattended(const app::StartOutcome& outcome, app::MainController& controller,
                     app::UnattendedInteraction& ui) {
  const convert::JobState& state = controller.State();
  switch (outcome.mode) {
    case app::StartMode::Finished:
      if (outcome.conversion && outcome.conversion->result == convert::ConversionResult::Written) {
        std::printf("%s\n", platform::Utf8FromPath(outcome.conversion->pdf).c_str());
      }
      return outcome.exitCode;
    case app::StartMode::PrintFiles:  // finished before the windows would run
      return outcome.exitCode;
    case app::StartMode::WaitForUser:
      break;
  }
  if (state.NoJobData) {
    ui.ShowMessage("no print job on standard input, and no display to edit the settings on",
                   platform::MessageStyle::Application);
    return app::kExitNothingToDo;
  }
  ui.ShowMessage("the save mode \"" + state.settings.SaveAs +
                     "\" waits for \"Create PDF\", which needs a display; no PDF was written",
                 platform::MessageStyle::Application);
  return app::kExitNotWritten;
}

// A cancelled run has removed its files by now; one line says why it ended. A PDF that was in
// place before the request came stays, and so does the status that says so.
int FinishCancelled(const platform::Cancellation& cancellation, const app::StartOutcome& outcome, int status,
                    app::UnattendedInteraction& unattended) {
  unattended.ShowMessage("cancelled (" + cancellation.SignalName() + ")", platform::MessageStyle::System);
  const bool written = outcome.conversion && outcome.conversion->result == convert::ConversionResult::Written;
  return written ? status : app::kExitNotWritten;
}

}  // namespace

namespace vellumor::app {

int RunProgram(int argc, char** argv, const std::optional<std::string>& commandLine) {
  // Answered before anything else, so that asking touches no job, setting or window.
  if (const std::optional<std::string> information = app::InformationRequested(argc, argv)) {
    std::fputs(information->c_str(), stdout);
    return 0;
  }
  // The session agent touches neither the windows nor the settings: it only starts this program.
  if (argc >= 2 && std::string_view{argv[1]} == base::kAgentOption) {
    if (argc > 2) {
      base::WriteProgramLine(std::string{argv[1]} + " takes no further arguments");
      return app::kExitNothingToDo;
    }
    return agent::RunSessionAgent();
  }
  // The engine's helper process, which this program starts for each conversion.
  if (argc >= 2 && std::string_view{argv[1]} == convert::kEngineOption) {
    return convert::RunEngineProcess();
  }
  // From the very start a cancellation ends the run cleanly rather than in the middle of a step.
  const std::unique_ptr<platform::Cancellation> cancellation = platform::Cancellation::Watch();
  app::UnattendedInteraction unattended;
  std::string error;
  std::unique_ptr<app::FrontEnd> frontEnd;
  if (platform::DisplayAvailable()) {
    frontEnd = platform::DisplayReachable(error) ? app::LoadFrontEnd(argc, argv, error) : nullptr;
    if (!frontEnd) {
      unattended.ShowMessage("no windows (" + error + "); running unattended", platform::MessageStyle::System);
    }
  }
  if (frontEnd && cancellation) {
    frontEnd->CloseOnCancellation(cancellation->Descriptor());
  }
  platform::UserInteraction& ui = frontEnd ? frontEnd->Interaction() : unattended;

  std::vector<std::string> notices;
  // Removes a folder made for this run alone when main returns.
  std::optional<platform::TempFolder> temp =
      platform::TempFolder::Open(platform::TempFolder::DefaultFolder(), error, notices);
  for (const std::string& notice : notices) {
    unattended.ShowMessage(notice, platform::MessageStyle::System);  // a line on standard error, never a window
  }
  if (!temp) {
    ui.ShowMessage(error, platform::MessageStyle::System);
    return app::kExitNothingToDo;
  }
  // What this run creates is written down, and what dead runs left behind is removed first.
  const std::unique_ptr<platform::RunJournal> journal = platform::RunJournal::Start(temp->Path());
  if (journal && temp->MadeForThisRun()) {
    journal->Created(temp->Path());
  }
  platform::RepairDeadRuns(temp->Path());
  platform::RepairDeadRunFolders(platform::TempFolder::DefaultFolder());
  platform::Registry registry{platform::Registry::DefaultFolder()};
  const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
  // In a process of its own, so that a cancellation ends any job at once.
  const std::unique_ptr<convert::Engine> engine = convert::MakeEngineProcess();
  const std::unique_ptr<platform::Shell> shell = platform::MakeDesktopShell();
  const convert::Services services{registry,
                                   *temp,
                                   *clock,
                                   ui,
                                   *engine,
                                   *shell,
                                   convert::SystemEngineEnvironmentPlaces(registry),
                                   platform::DesktopFolder(),
                                   platform::LogonName(),
                                   cancellation.get(),
                                   journal.get()};

  app::MainController controller{
      services, app::SplitCommandLine(commandLine ? *commandLine : app::CommandLineFromArguments(argc, argv)),
      platform::HomeFolder()};
  const app::StartOutcome outcome = controller.Initialise(platform::kStandardInput);
  if (outcome.mode == app::StartMode::PrintFiles) {
    // Queuing files creates nothing to clean up: the signals end it as they always would.
    if (cancellation) {
      cancellation->StopWatching();
    }
    // The main window is never shown in this mode; the windows only serve its messages.
    const std::unique_ptr<platform::Spooler> printers = platform::MakeSystemSpooler();
    const int status = controller.PrintFiles(outcome.firstFileIndex, *printers, printer::RealTimePacing());
    controller.RemoveTemporaryFiles();
    return status;
  }
  const int status = frontEnd ? frontEnd->Run(controller, outcome) : FinishUnattended(outcome, controller, unattended);
  controller.RemoveTemporaryFiles();
  if (cancellation && cancellation->Requested()) {
    return FinishCancelled(*cancellation, outcome, status, unattended);
  }
  return status;
}

}  // namespace vellumor::app
