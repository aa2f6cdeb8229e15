// The temporary folder's lifetime, the same on every system: a folder made for one run alone goes
// with everything in it when its object goes.

#include "platform/TempFolder.h"

#include <utility>

namespace vellumor::platform {

TempFolder::~TempFolder() {
  RemoveIfOwned();
}

TempFolder::TempFolder(TempFolder&& other) noexcept
    : folder_{std::move(other.folder_)}, lock_{std::exchange(other.lock_, -1)} {}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
  if (this != &other) {
    RemoveIfOwned();
    folder_ = std::move(other.folder_);
    lock_ = std::exchange(other.lock_, -1);
  }
  return *this;
}

void TempFolder::RemoveIfOwned() noexcept {
  if (lock_ != -1) {
    RemoveHeldFolder(folder_, std::exchange(lock_, -1));
  }
}

}  // namespace vellumor::platform
