#pragma once
// The private temporary folder that holds the print job, the marks file and the sibling
// product's setup file, and the unique "vlmXXXX.tmp" reservations made in it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vellumor::platform {

class TempFolder final {
 public:
  // $TMPDIR when set (it must be an existing folder), else /tmp/vellumor-<uid>, created 0700
  // and refused unless it is a real folder owned by the user with no access for others.
  // On failure returns nothing and puts the reason into `error`.
  static std::optional<TempFolder> Open(std::string& error);
  // A folder private to the user at `folder`: created 0700 when missing, refused when it is a
  // symbolic link, not a folder, owned by someone else or open to group or others.
  static std::optional<TempFolder> Private(std::filesystem::path folder, std::string& error);
  // A given folder (tests); it must exist.
  static std::optional<TempFolder> At(std::filesystem::path folder, std::string& error);

  const std::filesystem::path& Path() const { return folder_; }

  // Creates an empty file "<prefix><hex>.tmp" that did not exist before (O_CREAT|O_EXCL,
  // mode 0600) and returns its path; nothing when no name could be reserved.
  std::optional<std::filesystem::path> Reserve(std::string_view prefix) const;

 private:
  explicit TempFolder(std::filesystem::path folder) : folder_{std::move(folder)} {}
  std::filesystem::path folder_;
};

}  // namespace vellumor::platform
