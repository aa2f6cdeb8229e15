#pragma once
// A process that serves others in the background: its standard files, the connection it lives
// by, and the user it serves.

#include <cstdint>

namespace vellumor::platform {

// Opens /dev/null in place of any closed standard file (so that no file received later takes
// that number) and leaves the working folder, so that no folder is held busy.
void PrepareServiceProcess();
// Standard input is a pipe or socket whose end tells that the starter has gone.
bool InputIsConnection();
// Reads and drops what waits on `descriptor`; false when it has reached its end.
bool DrainInput(int descriptor);
std::uint32_t CurrentUser();

}  // namespace vellumor::platform
