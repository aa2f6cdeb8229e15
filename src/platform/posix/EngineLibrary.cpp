#include "platform/EngineLibrary.h"

namespace vellumor::platform {

bool PrepareEngineLibrary(std::string& /*error*/) {
  return true;  // linked into the program: the loader already refused to start without it
}

}  // namespace vellumor::platform
