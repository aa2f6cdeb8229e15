// The temporary folder's lifetime, the same on every system: a folder made for one run alone goes
// with everything in it when its object goes.

#include "platform/TempFolder.h"

#include <utility>

namespace vellumor::platform {

TempFolder::~TempFolder() {
  RemoveIfOwned();
}

TempFolder::TempFolder(TempFolder&& other) noexcept
    : folder_{std::move(other.folder_)}, removeAtEnd_{std::exchange(other.removeAtEnd_, false)} {}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
  if (this != &other) {
    RemoveIfOwned();
    folder_ = std::move(other.folder_);
    removeAtEnd_ = std::exchange(other.removeAtEnd_, false);
  }
  return *this;
}

void TempFolder::RemoveIfOwned() noexcept {
  if (removeAtEnd_) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    removeAtEnd_ = false;
  }
}

}  // namespace vellumor::platform
