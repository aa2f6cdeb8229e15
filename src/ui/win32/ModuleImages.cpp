#include "ui/win32/ModuleImages.h"

namespace vellumor::native {

ModuleImages::~ModuleImages() {
  for (const auto& [key, icon] : icons_) {
    if (icon != nullptr) {
      ::DestroyIcon(icon);
    }
  }
  for (const auto& [id, bitmap] : bitmaps_) {
    if (bitmap != nullptr) {
      ::DeleteObject(bitmap);
    }
  }
}

HICON ModuleImages::Icon(int id, int size) {
  const auto key = std::make_pair(id, size);
  if (const auto found = icons_.find(key); found != icons_.end()) {
    return found->second;
  }
  auto* icon = static_cast<HICON>(::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                                               size == 0 ? LR_DEFAULTSIZE : LR_DEFAULTCOLOR));
  icons_.emplace(key, icon);
  return icon;
}

HBITMAP ModuleImages::Bitmap(int id) {
  if (const auto found = bitmaps_.find(id); found != bitmaps_.end()) {
    return found->second;
  }
  auto* bitmap =
      static_cast<HBITMAP>(::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  bitmaps_.emplace(id, bitmap);
  return bitmap;
}

}  // namespace vellumor::native
