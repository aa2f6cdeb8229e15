// What the output target is on every system: moving it moves the hold, and the hold ends with it.

#include "platform/OutputTarget.h"

#include <utility>

namespace vellumor::platform {

OutputTarget::OutputTarget(OutputTarget&& other) noexcept
    : state_{other.state_},
      fd_{std::exchange(other.fd_, -1)},
      mode_{other.mode_},
      owner_{other.owner_},
      group_{other.group_},
      error_{std::move(other.error_)},
      path_{std::move(other.path_)},
      version_{other.version_} {}

OutputTarget& OutputTarget::operator=(OutputTarget&& other) noexcept {
  if (this != &other) {
    Release();
    state_ = other.state_;
    fd_ = std::exchange(other.fd_, -1);
    mode_ = other.mode_;
    owner_ = other.owner_;
    group_ = other.group_;
    error_ = std::move(other.error_);
    path_ = std::move(other.path_);
    version_ = other.version_;
  }
  return *this;
}

OutputTarget::~OutputTarget() {
  Release();
}

}  // namespace vellumor::platform
