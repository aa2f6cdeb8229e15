#pragma once
// Handing a document to the desktop: opening it in the registered viewer or in a given program.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vellumor::platform {

// How long a started opener is watched for a failure, and what runs meanwhile (so that windows
// keep painting).
struct OpenerWatch {
  std::chrono::milliseconds patience{0};
  std::function<void()> whileWaiting;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens the document with the program registered for its type. False when nothing could be
  // started.
  virtual bool OpenDocument(std::string_view path) = 0;
  // Starts `program` with `path` as its one argument (never through a shell, never split).
  virtual bool OpenWith(std::string_view program, std::string_view path) = 0;

  // The same, but an opener that ends with a failure within the watch's patience (no handler
  // for the address, a program that cannot show it) counts as not opened too. One still running
  // then is taken to be showing the document.
  virtual bool OpenDocumentWatched(std::string_view path, const OpenerWatch& /*watch*/) { return OpenDocument(path); }
  virtual bool OpenWithWatched(std::string_view program, std::string_view path, const OpenerWatch& /*watch*/) {
    return OpenWith(program, path);
  }
};

// The file-name pattern of programs, for a dialog that picks one: "*.exe" where programs are
// known by their name, every file where being a program is a permission instead.
std::string_view ProgramFilePattern();

// The desktop's shell, which does not wait for what it starts. POSIX: xdg-open, and programs
// started directly (posix_spawn); a started opener is watched. Windows: ShellExecuteW with the
// verb "open", for documents and programs alike; a start that the shell accepted counts as
// opened.
std::unique_ptr<Shell> MakeDesktopShell();

}  // namespace vellumor::platform
