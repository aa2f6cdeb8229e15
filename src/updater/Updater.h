#pragma once
// The updater's inner entry point: one call of `Update`, with everything it reaches outside
// (clock, registry, network, browser, the modal windows) passed in.

#include "platform/Shell.h"
#include "updater/CheckServices.h"
#include "updater/UpdateArguments.h"
#include "updater/UpdaterPrompts.h"

namespace vellumor::updater {

// Results of a call.
inline constexpr int kUpdateNoWindow = -1;  // the status window cannot be created
inline constexpr int kUpdateDone = 0;
inline constexpr int kUpdateAccepted = 1;      // the user accepted an offer; the page was opened
inline constexpr int kUpdateWindowClosed = 2;  // a network failure left the status window open

inline constexpr const char* kInternalErrorMessage = "Internal application error.";

struct UpdaterServices {
  CheckServices check;
  platform::Shell& shell;
  UpdaterPrompts& prompts;
};

// Runs one call in its status window. A QApplication must exist.
int RunUpdate(const UpdateArguments& arguments, const UpdaterServices& services);

}  // namespace vellumor::updater
