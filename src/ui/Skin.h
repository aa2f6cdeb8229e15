#pragma once
// The window-skinning layer's one entry: load a skin file with a colour scheme. There is no
// skinning layer on this platform; the windows keep the desktop's own look.

#include <string_view>

namespace vellumor::ui {

// True when the skin was loaded. Callers go on either way.
bool LoadSkin(std::string_view skinFile, std::string_view colourScheme);

}  // namespace vellumor::ui
