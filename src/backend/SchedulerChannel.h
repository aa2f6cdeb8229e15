#pragma once
// The backend's standard error is the scheduler's control channel for the job: besides the log
// ("ERROR:", "INFO:", "DEBUG:"), a line starting "PPD:", "STATE:" or "ATTR:" changes the shared
// queue for every user. So only the backend writes there, only lines of the three log kinds, and
// each text is made one plain line first: nothing a user's program or session writes can start a
// line of its own.

#include <string>
#include <string_view>

namespace vellumor::backend {

enum class LineKind { Error, Info, Debug };

// `text` as one line of at most `limit` bytes: control characters become blanks, a longer text is
// cut (at a character's start) and ends with "...".
std::string PlainLine(std::string_view text, std::size_t limit);

// Writes one line of `kind` with `text` to the scheduler.
void Report(LineKind kind, std::string_view text);

// What the program writes while it converts, passed on as log lines only ("DEBUG: ..."), one for
// each line it wrote; a line that never ends is passed on in parts.
class OutputRelay final {
 public:
  void Take(std::string_view bytes);
  // Passes on a last line that did not end.
  void Finish();

 private:
  std::string pending_;
};

}  // namespace vellumor::backend
