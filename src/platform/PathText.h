#pragma once
// Paths meet texts (settings, messages, the command line, the engine's arguments) in UTF-8, the
// encoding the program uses for every name. A path made from a narrow string or turned back into
// one would otherwise go through the system's narrow encoding, which on Windows is the ANSI code
// page and loses every character outside it.

#include <filesystem>
#include <string>
#include <string_view>

namespace vellumor::platform {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// A file name as the system will keep it. Windows takes a reserved device name (CON, PRN, AUX,
// NUL, COM1 to COM9, LPT1 to LPT9, with any extension) for the device, not a file, so such a name
// gets "_" after the device's name; and it drops trailing dots and blanks, so they are removed
// here rather than let the file get a name the program did not choose. Elsewhere the name stays.
std::string FileNameTheSystemKeeps(std::string name);

// Text a print job carries (its title) in UTF-8. A Windows driver may write the system's ANSI
// code page instead: text that is not UTF-8 is read in that code page there. Elsewhere the bytes
// are kept as they came.
std::string Utf8FromJobText(std::string_view bytes);

}  // namespace vellumor::platform
