#pragma once
// Deriving the output file name from the print job's title.

#include <string>
#include <string_view>

namespace vellumor::convert {

// Removes the nine characters file names cannot hold: < > : ? * " / \ |
std::string RemoveIllegalCharacters(std::string_view name);

// The longest name a PDF is given, in bytes with its ".pdf". File systems allow 255, and
// appending moves the old PDF aside as "<name>_append<N>.pdf" (up to 14 bytes more), which has to
// be a valid name as well.
inline constexpr std::size_t kMaxFileNameBytes = 241;

// A name the PDF can be saved under: the nine illegal characters and every control character
// removed; a name with nothing but dots before its ".pdf" (a hidden file, or the folder itself)
// becomes "nofile.pdf"; a long name is shortened at a character boundary, keeping its ".pdf"; a
// name the system would take for something else (a device on Windows) is made one it keeps.
std::string SoundFileName(std::string_view name);

// Reading the title from the head of a job (its first 520 bytes at most).
inline constexpr std::size_t kTitleHeaderBytes = 520;

enum class TitleSearch {
  Found,       // a "%%Title: " or "JOB NAME=" line was found and read whole
  NotFound,    // neither appears
  Incomplete,  // the title runs past the bytes read (or holds a 0xFF byte)
};

struct JobTitle {
  TitleSearch result{TitleSearch::NotFound};
  std::string title;
};

JobTitle ExtractJobTitle(std::string_view header);

// The output file name for a title found in the job: " - Notepad" cut, folder and a 2 to 4
// character extension stripped, ".pdf" added, "http://" and "https://" removed, then made a
// sound file name.
std::string OutputNameFromTitle(std::string_view title);

}  // namespace vellumor::convert
