// The system events on POSIX systems: nobody to notify of a changed setting, and Windows' texts for
// the codes the program meets.

#include "platform/SystemEvents.h"

namespace vellumor::platform {

namespace {

struct ErrorText {
  long code;
  const char* text;
};

// The texts Windows gives for the codes this program meets, so that diagnostics read the same
// on every platform.
constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {160, "One or more arguments are not correct."},
    {206, "The filename or extension is too long."},
    {234, "More data is available."},
    {1117, "The request could not be performed because of an I/O device error."},
};

}  // namespace

// Linux has no broadcast of changed settings; the count is all there is.
void NotifySettingChange(std::string_view /*area*/) {}

std::string SystemErrorText(long code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) {
      return entry.text;
    }
  }
  return "Unknown error " + std::to_string(code) + ".";
}

}  // namespace vellumor::platform
