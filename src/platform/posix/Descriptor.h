#pragma once
// An open file descriptor that is closed when it goes out of scope.

#include <unistd.h>

namespace vellumor::platform {

class Descriptor final {
 public:
  explicit Descriptor(int fd) : fd_{fd} {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now and reports the result (a failed close can mean lost data on some file systems).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

}  // namespace vellumor::platform
