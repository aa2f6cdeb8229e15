#pragma once
// The marks file: pdfmark operators that give the PDF its initial view and its document
// information.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/RunJournal.h"
#include "platform/TempFolder.h"
#include "settings/Settings.h"

namespace vellumor::convert {

inline constexpr std::string_view kCreator = "Vellumor v1.06";

// A text as a PostScript string the engine reads back exactly: "(...)" with "\", "(", ")" and
// control characters escaped when it is plain ASCII; otherwise UTF-16BE with a byte order mark
// as a hex string "<FEFF...>" (bytes that are not valid UTF-8 are taken as Latin-1).
std::string PdfMarkString(std::string_view text);

// The exact bytes of the marks file for `settings`; `producer` is the product's web host.
std::string MarksFileText(const settings::Settings& settings, std::string_view producer);

// Writes the marks file as "<reservation>.mark.txt" in the temporary folder, both written down in
// `journal` when given; the path, or nothing when it could not be written.
std::optional<std::filesystem::path> WriteMarksFile(const platform::TempFolder& temp,
                                                    const settings::Settings& settings, std::string_view producer,
                                                    platform::RunJournal* journal = nullptr);
// The reservation a marks file's name was made from, which stays until the marks file goes.
std::filesystem::path MarksReservation(const std::filesystem::path& marks);

}  // namespace vellumor::convert
