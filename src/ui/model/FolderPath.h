#pragma once
// The checks of a folder path the user typed into the folder picker, as Windows writes paths: a
// drive letter and its colon, or two backslashes of a network path, then the rest.

#include <string_view>

#include "platform/UserInteraction.h"

namespace vellumor::dialog {

// Results of CheckPathForm and ValidateFolderPath.
inline constexpr int kPathAccepted = 0;
inline constexpr int kPathDeclined = -1;
inline constexpr int kPathInvalid = 1;
inline constexpr int kPathCannotBeCreated = 2;

// The form of `path` alone, nothing shown: kPathInvalid when it is shorter than three characters,
// does not start with a letter or a backslash, or has neither a colon nor a backslash second;
// kPathCannotBeCreated, with `skipDriveCheck` clear, for a drive root that does not exist; else
// kPathAccepted.
int CheckPathForm(std::string_view path, bool skipDriveCheck);

// Whether the picker may close with `path`: an existing folder is accepted at once; a missing one
// is made when the user agrees. Tells the user what is wrong; kPathDeclined when they said No.
int ValidateFolderPath(std::string_view path, platform::UserInteraction& ui);

}  // namespace vellumor::dialog
