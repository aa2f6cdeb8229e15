#pragma once
// An open file (a descriptor) of this process with exactly one owner, closed when the owner lets
// go of it: descriptors passed between processes must never leak into the programs started later.

namespace vellumor::platform {

class OwnedFile final {
 public:
  OwnedFile() = default;
  explicit OwnedFile(int descriptor) : descriptor_{descriptor} {}
  ~OwnedFile() { Reset(); }
  OwnedFile(OwnedFile&& other) noexcept : descriptor_{other.Release()} {}
  OwnedFile& operator=(OwnedFile&& other) noexcept {
    if (this != &other) {
      Reset();
      descriptor_ = other.Release();
    }
    return *this;
  }
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;

  int Get() const { return descriptor_; }
  bool Valid() const { return descriptor_ >= 0; }
  int Release() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
  }
  void Reset();
  // Closes now and reports the result, 0 or -1 with errno (a failed close can mean lost data on
  // some file systems).
  int Close();

 private:
  int descriptor_{-1};
};

}  // namespace vellumor::platform
