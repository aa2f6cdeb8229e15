#pragma once
// The program's own modules, which live beside it and are loaded from there by their absolute
// path (LoadedModule): the front end with the program's windows, and the updater library. Each
// system names its libraries in its own way, so the file names come from the platform.

#include <string_view>

namespace vellumor::platform {

enum class ProgramModule {
  FrontEnd,  // the windows (the Qt front end), loaded only when a display can be reached
  Updater,   // the update check with its one export `Update`
};

// The module's file name, without folder.
std::string_view ModuleFileName(ProgramModule module);

}  // namespace vellumor::platform
