// The temporary folder's lifetime, the same on every system: a folder made for one run alone goes
// with everything in it when its object goes.

#include "platform/TempFolder.h"

#include <utility>

namespace vellumor::platform {

TempFolder::~TempFolder() {
  RemoveIfHeld();
}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
  if (this != &other) {
    RemoveIfHeld();
    folder_ = std::move(other.folder_);
    hold_ = std::move(other.hold_);
  }
  return *this;
}

void TempFolder::RemoveIfHeld() noexcept {
  if (hold_.Valid()) {
    RemoveHeldFolder(folder_, std::move(hold_));
  }
}

}  // namespace vellumor::platform
