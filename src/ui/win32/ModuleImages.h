#pragma once
// The icons and bitmaps a window's description names by number, loaded from the resources of
// the module that shows the window (the program's or the updater library's) and kept until the
// window goes.

#include <map>
#include <utility>

#include "platform/win32/WindowsApi.h"

namespace vellumor::native {

class ModuleImages final {
 public:
  explicit ModuleImages(HMODULE module) : module_{module} {}
  ~ModuleImages();
  ModuleImages(const ModuleImages&) = delete;
  ModuleImages& operator=(const ModuleImages&) = delete;

  HMODULE Module() const { return module_; }
  // The icon resource `id` at `size` pixels square (0: the size it was drawn at), or nullptr.
  HICON Icon(int id, int size);
  // The bitmap resource `id` as a device-independent section, or nullptr.
  HBITMAP Bitmap(int id);

 private:
  HMODULE module_;
  std::map<std::pair<int, int>, HICON> icons_;
  std::map<int, HBITMAP> bitmaps_;
};

}  // namespace vellumor::native
