#include "platform/ProgramModules.h"

namespace vellumor::platform {

std::string_view ModuleFileName(ProgramModule module) {
  return module == ProgramModule::FrontEnd ? "libvellumor-ui.so" : "libvellumor-updater.so";
}

}  // namespace vellumor::platform
