#pragma once
// A private folder for the temporary files of a library that finds its temporary folder through
// the environment (the engine keeps parts of the PDF it writes there): TMPDIR on POSIX systems,
// TEMP and TMP on Windows. Giving each run a folder
// of its own lets the next run remove what a killed run's engine left, and keeps those files
// with the user's other private files.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace vellumor::platform {

class ScratchFolder final {
 public:
  // Creates `folder` (0700 on POSIX; Windows: it takes the access of the folder it is in) and
  // points the variables at it; nothing when it cannot be created.
  static std::unique_ptr<ScratchFolder> Create(std::filesystem::path folder);
  // Puts the variables back as they were and removes the folder with whatever is left in it.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  ScratchFolder(std::filesystem::path folder, std::optional<std::string> previous)
      : folder_{std::move(folder)}, previous_{std::move(previous)} {}
  std::filesystem::path folder_;
  std::optional<std::string> previous_;
};

}  // namespace vellumor::platform
