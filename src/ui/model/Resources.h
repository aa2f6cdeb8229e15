#pragma once
// The resource ids of the program's bitmaps and icons, as the windows name them. Each deliverable
// holds its own images under these ids (the updater's 143 and 128 are its own).

namespace vellumor::dialog::resources {

// Bitmaps.
inline constexpr int kMainBackground = 143;     // 800 x 800, behind the main and most other windows
inline constexpr int kOptionsBackground = 137;  // 48 x 48, behind the Advanced and Custom windows
inline constexpr int kSidePicture = 148;        // the main window's side picture

// Icons.
inline constexpr int kApplicationIcon = 128;
inline constexpr int kColorKindIcon = 146;
inline constexpr int kGreyscaleKindIcon = 147;
inline constexpr int kMonoKindIcon = 148;

// The icons of the five profile buttons, in the order Screen, eBook, Print, PrePress, Custom: the
// selected one shows the current profile.
struct ProfileIcons {
  int selected;
  int normal;
};
inline constexpr ProfileIcons kProfileIcons[] = {{133, 139}, {136, 138}, {135, 141}, {134, 140}, {132, 137}};

}  // namespace vellumor::dialog::resources
