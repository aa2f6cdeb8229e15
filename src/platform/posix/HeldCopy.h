#pragma once
// A copy of a stream in a file that has no name: it lives exactly as long as some process holds
// it open, so whoever ends, and however, nothing of it is left behind in the folder. The copy is
// taken step by step, each step moving only what the stream has ready, so that a process serving
// several streams at once is never held up by one that stalls.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {

class HeldCopy final {
 public:
  // A new, empty file without a name in `folder` (which should be private to the user), readable
  // and writable by the user only; nothing, with the reason, when none can be made there.
  static std::optional<HeldCopy> Create(const std::filesystem::path& folder, std::string& error);

  enum class Step {
    More,    // something (or nothing yet) was moved; the stream goes on
    Ended,   // the stream has ended; everything it delivered is in the file
    Failed,  // reading or writing failed (`error` says why); the copy is incomplete
  };
  // Moves what `input` has ready now into the file, waiting for nothing more.
  Step TakeFrom(int input, std::string& error);
  std::uint64_t Size() const { return size_; }
  // Back to the file's start, for whoever reads it next; false when that fails.
  bool Rewind();
  int Descriptor() const { return file_.Get(); }

 private:
  enum class Way { FileCopy, Splice, ReadWrite };
  explicit HeldCopy(OwnedFile file) : file_{std::move(file)} {}

  OwnedFile file_;
  std::uint64_t size_{0};
  Way way_{Way::FileCopy};  // the kernel copy until the stream shows it cannot take it
};

}  // namespace vellumor::platform
