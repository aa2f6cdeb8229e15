// The program's modules on Windows: DLLs beside vellumor.exe. The updater keeps the name the
// product has always shipped it under.

#include "platform/ProgramModules.h"

namespace vellumor::platform {

std::string_view ModuleFileName(ProgramModule module) {
  return module == ProgramModule::FrontEnd ? "vellumor-ui.dll" : "Updater.dll";
}

}  // namespace vellumor::platform
