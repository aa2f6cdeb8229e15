#pragma once
// Entry points of the option windows the main window opens. Each runs its window modally and
// edits the record directly (no working copy); true when the user left with "Save/Exit" / OK.

#include <QWidget>

#include "settings/Settings.h"

namespace vellumor::ui {

bool ShowAdvancedWindow(QWidget* parent, settings::Settings& settings);
bool ShowSecurityWindow(QWidget* parent, settings::Settings& settings);
bool ShowDocumentPropertiesWindow(QWidget* parent, settings::Settings& settings);
bool ShowCustomImageWindow(QWidget* parent, settings::Settings& settings);

}  // namespace vellumor::ui
