#pragma once
// The shell seam on Windows. Besides opening documents it prints them with the "print" verb, as
// the print-files mode asks the shell to.

#include <string>
#include <string_view>

#include "platform/Shell.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

// One command-line argument, quoted so that the started program receives exactly `argument`.
std::wstring QuotedArgument(std::wstring_view argument);

class WindowsShell final : public Shell {
 public:
  WindowsShell();
  ~WindowsShell() override;
  WindowsShell(const WindowsShell&) = delete;
  WindowsShell& operator=(const WindowsShell&) = delete;

  bool OpenDocument(std::string_view path) override;
  bool OpenWith(std::string_view program, std::string_view path) override;
  // Asks the program registered for the document's type to print it, hidden. False when the
  // shell could not hand it over (no such file, nothing registered for printing it).
  bool PrintDocument(std::string_view path);

 private:
  bool comInitialised_{false};
};

}  // namespace vellumor::platform
