#pragma once
// The windows, kept in a module of their own beside the program that is loaded only when a
// display can be reached: an unattended conversion never loads Qt.

#include <memory>
#include <string>

#include "app/MainController.h"
#include "app/UpdaterLibrary.h"
#include "platform/UserInteraction.h"

namespace vellumor::app {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // The user interaction of the windows. The main window exists (not yet shown) from the
  // moment the front end is created, so the automatic conversion can show its progress.
  virtual platform::UserInteraction& Interaction() = 0;

  // Closes every window once `descriptor` becomes readable (a cancellation arrived): a dialog
  // waiting for an answer ends as if dismissed, and the main window closes without storing
  // anything. Called right after loading, before a conversion can show a window.
  virtual void CloseOnCancellation(int descriptor) = 0;

  // Shows the main window for the state `controller` holds after Initialise and runs it until
  // it closes (at once when the automatic conversion finished). Returns the exit status.
  virtual int Run(MainController& controller, const StartOutcome& outcome) = 0;
};

// What every front end does with the outcome of the controller's initialisation before its main
// window waits for the user: nothing more, with the exit status in `exitCode`, when the run is
// over (the automatic conversion closed the window, or files were printed); else the updater's
// check, except after an automatic conversion whose completion window asked for the settings.
// True when the main window is to wait for the user.
inline bool PrepareToWait(const StartOutcome& outcome, const UpdaterLibrary& updater, int& exitCode) {
  if (outcome.mode != StartMode::WaitForUser) {
    exitCode = outcome.exitCode;
    return false;
  }
  if (!outcome.conversion && updater.Callable()) {
    updater.CallUpdate(DefaultUpdateArguments());
  }
  return true;
}

// The function the module exports under kFrontEndSymbol.
extern "C" {
using CreateFrontEndFunction = FrontEnd* (*)(int argc, char** argv);
}
inline constexpr const char* kFrontEndSymbol = "vellumor_create_front_end";

// Loads the module from the program's own folder (never through the library search path) and
// creates the front end; nothing, with the reason in `error`, when that fails.
std::unique_ptr<FrontEnd> LoadFrontEnd(int argc, char** argv, std::string& error);

}  // namespace vellumor::app
