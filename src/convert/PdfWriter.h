#pragma once
// Writing one job's PDF at its path. Jobs writing the same PDF take turns (the user's own jobs
// through a lock of the user's, everybody's through the lock on the file); when appending the
// file is read (with the password the settings hold) rather than moved away, so it never leaves
// its name. The engine writes a new file beside it, which replaces it only after it was read
// back whole and holding every page it must, and only while the file read is still the one at
// the name; else the job is written again onto the file that took its place. Whatever goes
// wrong, or is cancelled, the old file stays as it was and the new one is removed.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/Conversion.h"
#include "convert/Engine.h"
#include "convert/JobState.h"
#include "convert/Services.h"

namespace vellumor::convert {

class PdfWriter final {
 public:
  // `switches`: the engine arguments of the settings; `askOverwrite`: the overwrite question
  // is to be asked when a file is in the way (not after a save dialog, which asked already).
  PdfWriter(JobState& state, const Services& services, std::vector<std::string> switches, std::filesystem::path output,
            bool askOverwrite);

  // Runs the engine (`engine` first; another instance when a PDF appeared at the name while it
  // ran and the job must be written again) and puts the PDF in place.
  ConversionResult Write(std::unique_ptr<EngineInstance> engine);

 private:
  std::optional<std::filesystem::path> WriteMarks();
  void RemoveMarks(const std::optional<std::filesystem::path>& marks);
  ConversionResult Fail(std::string_view detail);

  JobState& state_;
  const Services& services_;
  std::vector<std::string> switches_;
  std::filesystem::path output_;
  bool askOverwrite_;
};

}  // namespace vellumor::convert
