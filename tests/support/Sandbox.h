#pragma once
// A private world for running the vellumor binary: its own HOME, desktop, temporary folder and
// registry, and no display, so a test sees exactly what a user of that account would.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/Process.h"
#include "support/TempDir.h"

namespace vellumor::test {

class Sandbox final {
 public:
  Sandbox();

  const std::filesystem::path& Home() const { return home_; }
  const std::filesystem::path& Desktop() const { return desktop_; }
  const std::filesystem::path& Temp() const { return temp_; }
  const std::filesystem::path& RegistryFolder() const { return registry_; }

  // Stores a setting in the product key, as an earlier run of the settings editor would.
  void SetSetting(std::string_view name, std::string_view value) const;
  // A setting as stored in the product key; "" when missing.
  std::string StoredSetting(std::string_view name) const;

  ProcessOptions Options() const;
  // The processes of runs started with Options(), and of every process they started.
  std::vector<int> Processes() const;
  // Runs the built program with `arguments` after the program path and `job` on standard input
  // ("" for an empty standard input).
  ProcessResult Run(const std::filesystem::path& job, const std::vector<std::string>& arguments = {}) const;
  ProcessResult RunWithInput(const std::string& jobText, const std::vector<std::string>& arguments = {}) const;

  // Files in `folder` with that extension, sorted by name.
  static std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder, std::string_view extension);

  std::filesystem::path operator/(std::string_view name) const { return dir_ / name; }

 private:
  TempDir dir_;
  std::filesystem::path home_;
  std::filesystem::path desktop_;
  std::filesystem::path temp_;
  std::filesystem::path registry_;
};

// Print jobs made at test time by real tools.
// A text job of `pages` pages from enscript, with "%%Title: <title>"; page n carries "Page n of N".
std::filesystem::path MakeTextJob(const std::filesystem::path& folder, std::string_view name, int pages,
                                  std::string_view title);
// A job of `pages` pages from groff (no title line).
std::filesystem::path MakeGroffJob(const std::filesystem::path& folder, std::string_view name, int pages);

}  // namespace vellumor::test
