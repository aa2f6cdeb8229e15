#pragma once
// Handing a document to the desktop: opening it in the registered viewer or in a given program.

#include <memory>
#include <string>
#include <string_view>

namespace vellumor::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens the document with the program registered for its type. False when nothing could be
  // started.
  virtual bool OpenDocument(std::string_view path) = 0;
  // Starts `program` with `path` as its one argument (never through a shell, never split).
  virtual bool OpenWith(std::string_view program, std::string_view path) = 0;
};

// The file-name pattern of programs, for a dialog that picks one: "*.exe" where programs are
// known by their name, every file where being a program is a permission instead.
std::string_view ProgramFilePattern();

// xdg-open and direct program starts, without waiting for them.
std::unique_ptr<Shell> MakeDesktopShell();

}  // namespace vellumor::platform
