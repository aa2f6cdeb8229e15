#include "platform/ProgramModules.h"

namespace vellumor::platform {

std::string_view ModuleFileName(ProgramModule module) {
  switch (module) {
    case ProgramModule::Windows:
      return "libvellumor-ui.so";
    case ProgramModule::Updater:
      return "libvellumor-updater.so";
  }
  return {};
}

}  // namespace vellumor::platform
