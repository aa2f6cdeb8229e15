#pragma once
// The shell seam on Windows: documents opened with the "open" verb.

#include <string>
#include <string_view>

#include "platform/Shell.h"
#include "platform/win32/ComApartment.h"

namespace vellumor::platform {

// One command-line argument, quoted so that the started program receives exactly `argument`.
std::wstring QuotedArgument(std::wstring_view argument);

class WindowsShell final : public Shell {
 public:
  bool OpenDocument(std::string_view path) override;
  bool OpenWith(std::string_view program, std::string_view path) override;

 private:
  ComApartment com_;  // the shell's verb handlers may be COM objects
};

}  // namespace vellumor::platform
