#pragma once
// Entry points of the option windows the main window opens. Each runs its window modally and
// edits the record directly (no working copy); true when the user left with "Save/Exit".
//
// A window is created on first use as a child of `parent` and reused by later calls with the same
// parent and record, so it lives as long as the main window and the Advanced and Custom windows
// reopen on the page last left with "Save/Exit". Without a parent every call starts afresh.

#include <QWidget>

#include "platform/UserInteraction.h"
#include "settings/Settings.h"

namespace vellumor::ui {

// `interaction` shows the "&Browse" file dialog of the viewer choice.
bool ShowAdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);
bool ShowSecurityWindow(QWidget* parent, settings::Settings& settings);
bool ShowDocumentPropertiesWindow(QWidget* parent, settings::Settings& settings);
// `interaction` reports a resolution that is not a whole number.
bool ShowCustomImageWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);

}  // namespace vellumor::ui
