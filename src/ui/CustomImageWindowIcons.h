#pragma once
// The 32 x 32 pictures of the Custom window's kind list: one small landscape, drawn in colour,
// in shades of grey and in black and white, so each kind shows what it stands for.

#include <QImage>

namespace vellumor::ui {

enum class ImageKind { Color, Greyscale, Mono };

inline constexpr int kKindIconSize = 32;

QImage DrawKindIcon(ImageKind kind);

}  // namespace vellumor::ui
