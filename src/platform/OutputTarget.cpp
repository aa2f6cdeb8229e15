// What the output target is on every system: the hold ends with the object.

#include "platform/OutputTarget.h"

namespace vellumor::platform {

OutputTarget::~OutputTarget() {
  Release();
}

}  // namespace vellumor::platform
