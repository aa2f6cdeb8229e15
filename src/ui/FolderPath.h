#pragma once
// Checks of a folder path the user typed into the folder picker. Paths are absolute POSIX paths:
// "/" takes the place of a drive letter and its colon.

#include <QString>

#include "platform/UserInteraction.h"

namespace vellumor::ui {

// Results of CheckPathForm and ValidateFolderPath.
inline constexpr int kPathAccepted = 0;
inline constexpr int kPathDeclined = -1;
inline constexpr int kPathInvalid = 1;
inline constexpr int kPathCannotBeCreated = 2;

// The form of `path` alone, nothing shown: kPathInvalid when it is empty or not absolute;
// kPathCannotBeCreated when, with `skipRootCheck` clear, it names a folder directly under the
// root that does not exist (the place of a missing drive); else kPathAccepted.
int CheckPathForm(const QString& path, bool skipRootCheck);

// Whether the picker may close with `path`: an existing folder is accepted at once; a missing one
// is created when the user agrees. Tells the user what is wrong; kPathDeclined when they said No.
int ValidateFolderPath(const QString& path, platform::UserInteraction& ui);

}  // namespace vellumor::ui
