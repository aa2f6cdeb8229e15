#pragma once
// The engine's library has to be in place before the engine's first call. On Linux the program
// links it like any other library. On Windows Ghostscript's DLL is bound late, so that the
// program also starts without it (the settings editor and print-files mode need no engine) and
// can say what is missing instead of failing to start at all.

#include <string>

namespace vellumor::platform {

// True when the engine can be called. Otherwise `error` says which library is missing and where
// it was looked for, in words for the user.
bool PrepareEngineLibrary(std::string& error);

}  // namespace vellumor::platform
