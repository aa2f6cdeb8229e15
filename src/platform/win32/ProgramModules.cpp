// The program's modules on Windows: DLLs beside vellumor.exe. The updater keeps the name the
// product has always shipped it under.

#include "platform/ProgramModules.h"

namespace vellumor::platform {

std::string_view ModuleFileName(ProgramModule module) {
  switch (module) {
    case ProgramModule::Windows:
      return "vellumor-ui.dll";
    case ProgramModule::Updater:
      return "Updater.dll";
  }
  return {};
}

}  // namespace vellumor::platform
