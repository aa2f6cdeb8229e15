#pragma once
// A fresh folder for one test, under the system temporary folder or a given one, removed afterwards.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::test {

class TempDir final {
 public:
  TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
  explicit TempDir(const std::filesystem::path& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Whole-file helpers for tests.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
// The names of what `folder` holds, sorted.
std::vector<std::string> NamesIn(const std::filesystem::path& folder);

// What another user who can write into `folder` could do: a symbolic link to `target` at every
// name a "vlm" reservation can give, with `suffix` added ("vlm1.tmp<suffix>" to "vlmFFFF.tmp<suffix>").
void LinkEveryReservedName(const std::filesystem::path& folder, std::string_view suffix,
                           const std::filesystem::path& target);

}  // namespace vellumor::test
