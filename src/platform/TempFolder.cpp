// What the temporary folder is on every system: a folder given or made private, and one made for
// a run alone goes with everything in it when its object goes.

#include "platform/TempFolder.h"

#include <utility>

namespace vellumor::platform {

std::optional<TempFolder> TempFolder::Private(std::filesystem::path folder, std::string& error) {
  if (!MakePrivateFolder(folder, error)) {
    return std::nullopt;
  }
  return TempFolder{std::move(folder)};
}

std::optional<TempFolder> TempFolder::At(std::filesystem::path folder, std::string& error) {
  if (!UsableFolder(folder, error)) {
    return std::nullopt;
  }
  return TempFolder{std::move(folder)};
}

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
