#pragma once
// The updater's inner entry point: one call of `Update`, with everything it reaches outside
// (clock, registry, network, browser, the modal windows) passed in.

#include "platform/Shell.h"
#include "updater/CheckServices.h"
#include "updater/UpdateArguments.h"
#include "updater/UpdaterPrompts.h"
#include "updater/UpdaterWindows.h"

namespace vellumor::updater {

struct UpdaterServices {
  CheckServices check;
  platform::Shell& shell;
  UpdaterPrompts& prompts;
};

// Runs one call in its status window. A QApplication must exist.
int RunUpdate(const UpdateArguments& arguments, const UpdaterServices& services);

}  // namespace vellumor::updater
