#pragma once
// The program's images under the resource ids its window descriptions use, and the hyperlinks
// its windows carry.

#include "platform/Shell.h"
#include "platform/UserInteraction.h"
#include "ui/DialogWindow.h"

namespace vellumor::ui {

// `shell` opens the hyperlinks' addresses and `ui` reports a failed opening; a window without
// hyperlinks needs neither.
DialogResources ProgramResources(platform::Shell* shell = nullptr, platform::UserInteraction* ui = nullptr);

}  // namespace vellumor::ui
