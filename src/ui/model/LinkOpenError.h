#pragma once
// What a hyperlink tells the user when its address could not be opened: one text for each result
// number the system's opener reports, the same in every front end.

#include <string>

namespace vellumor::dialog {

// Results above this number mean the address was opened.
inline constexpr int kLinkOpenedAbove = 32;

// "Unable to open hyperlink:" and the reason for `result`.
std::string LinkOpenErrorText(int result);

}  // namespace vellumor::dialog
