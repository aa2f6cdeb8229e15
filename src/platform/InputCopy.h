#pragma once
// The print job's way in: what the printer port writes to standard input, copied byte for byte
// into a new file of the private temporary folder, and its first bytes kept for the title search.
// Nothing is translated on the way (no line ends, no end-of-file byte), and a job of any size
// streams at the speed of the disk.

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/Cancellation.h"

namespace vellumor::platform {

class RunJournal;

// Standard input, as the system's C runtime numbers it.
inline constexpr int kStandardInput = 0;

// True when `input` is a terminal: someone started the program by hand and has no job to give.
bool IsTerminal(int input);

struct InputCopy {
  enum class Result {
    Copied,      // everything `input` delivered is in the file
    NoData,      // `input` delivered nothing (or failed before its first byte); the file is empty
    NotCreated,  // the file could not be created (something already has the name): nothing read
    Failed,      // reading, writing or closing failed after the first byte; the file is incomplete
    Cancelled,   // the cancellation came while reading; the file is incomplete
  };
  Result result{Result::Failed};
  std::string head;  // the first `headBytes` bytes of the input, fewer when it was shorter
};

// Creates `target` as a new file private to the user (never a file or link already there) and
// copies everything `input` delivers into it, until its end. The file is closed when this
// returns and is left in place whatever the result; removing an incomplete one is the caller's
// decision. A cancellation is noticed while the input is silent as well as while it flows. The
// file is written down in `journal`, when given, before anything is copied into it.
InputCopy CopyInputToNewFile(int input, const std::filesystem::path& target, std::size_t headBytes,
                             const Cancellation* cancellation, RunJournal* journal = nullptr);

}  // namespace vellumor::platform
