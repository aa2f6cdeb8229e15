#pragma once
// Something this process holds open through the operating system (a file, a folder, a lock, a
// mutex, an event) with exactly one owner, closed when the owner lets go of it: moving it moves
// the ownership, and nothing is closed twice or left open. `Traits` say what the system's handle
// is and how it is closed:
//
//   using Native = ...;                     the system's type (a descriptor, a HANDLE)
//   static Native Invalid() noexcept;       the value that holds nothing
//   static bool Valid(Native) noexcept;     whether a value holds something
//   static bool Close(Native) noexcept;     closes it; false when closing failed
//
// Each system's realisation has one: OwnedFile (platform/posix/OwnedFile.h) and FileHandle
// (platform/win32/FileHandle.h). The seams' shared headers hold whichever the program is built
// for as SystemHandle (platform/SystemHandle.h).

#include <utility>

namespace vellumor::platform {

template <typename Traits>
class UniqueHandle final {
 public:
  using Native = typename Traits::Native;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Native handle) noexcept : handle_{handle} {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_{other.Release()} {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Native Get() const noexcept { return handle_; }
  bool Valid() const noexcept { return Traits::Valid(handle_); }
  // Gives the handle up without closing it.
  Native Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  // Closes what is held, if anything.
  void Reset() noexcept {
    if (Valid()) {
      Traits::Close(Release());
    }
  }
  // Closes now and says whether that worked: a failed close can mean that data written through
  // the handle never arrived. Nothing held counts as closed.
  bool Close() noexcept { return !Valid() || Traits::Close(Release()); }

 private:
  Native handle_{Traits::Invalid()};
};

}  // namespace vellumor::platform
