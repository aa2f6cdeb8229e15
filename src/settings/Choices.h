#pragma once
// The lists the windows offer for the record's text fields, each in the order the list holds its
// entries, and what the program makes of a stored text. The value stored is always the entry's
// text (the registry and setup files keep texts, and every box also takes typed text), so the
// windows fill their lists from here and the conversion reads a text only through the functions
// below. No entry is spelt twice: a window and the engine arguments can no longer disagree on
// one, and a permission the user chose is never dropped for a different spelling.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vellumor::settings {

// An entry's text; `choice` is one of the enumerations below, which number their list's entries.
template <typename Choice, std::size_t N>
constexpr std::string_view TextOf(const std::array<std::string_view, N>& list, Choice choice) {
  return list[static_cast<std::size_t>(choice)];
}

// "Save To:" (SaveAs).
enum class SaveMode { DesktopAutomatic, AskAutomatic, FolderAutomatic, AskManual, FolderManual };
inline constexpr std::array<std::string_view, 5> kSaveModes{
    "Save to users Desktop (automatic)", "Ask when creating PDF (automatic)",
    "Use source filename, save to a specific folder (automatic)", "Ask when creating PDF (manual)",
    "Use source filename, save to a specific folder (manual)"};
// Where a SaveAs text saves: "U..." into SaveToPath, "S..." onto the desktop, anything else asks.
enum class SaveTarget { Folder, Desktop, Ask };
SaveTarget SaveTargetOf(std::string_view saveAs);
// A SaveAs text that holds "(automatic)" converts a job as soon as it arrives.
bool ConvertsAtOnce(std::string_view saveAs);

// "After Creation:" (AfterCreation).
enum class AfterCreationAction { ShowCompletion, Nothing, OpenPdf };
inline constexpr std::array<std::string_view, 3> kAfterCreationActions{"Display completed", "Do nothing", "Open PDF"};
// "O..." opens the PDF, "Di..." shows the completion window, anything else does nothing.
AfterCreationAction AfterCreationActionOf(std::string_view text);

// "If PDF exists:" (AdvAppend).
enum class ExistingPdf { Overwrite, Append };
inline constexpr std::array<std::string_view, 2> kExistingPdfChoices{"Overwrite", "Append to existing"};
// Only the exact "Append to existing" appends.
ExistingPdf ExistingPdfOf(std::string_view text);

// "PDF Version:" (AdvPdfVersion), "Zoom %:" (AdvZoom), "Check for an update every: "
// (AdvCheckUpdate): stored as chosen, read by their own rules (the version's number, the
// zoom's and the interval's leading digits).
inline constexpr std::array<std::string_view, 4> kPdfVersions{"PDF 1.2", "PDF 1.3", "PDF 1.4", "PDF 1.5"};
inline constexpr std::array<std::string_view, 14> kZoomLevels{"10",  "25",  "50",  "75",   "100",  "125",  "150",
                                                              "200", "400", "800", "1600", "2400", "3200", "6400"};
inline constexpr std::array<std::string_view, 6> kUpdateIntervals{"7 days",  "14 days", "30 days",
                                                                  "60 days", "90 days", "Never"};

// "Printing allowed:" (SecPermPrinting).
enum class PrintingPermission { None, LowResolution, HighResolution };
inline constexpr std::array<std::string_view, 3> kPrintingPermissions{"None", "Low resolution", "High resolution"};
// An entry's exact text; any other text allows nothing.
PrintingPermission PrintingPermissionOf(std::string_view text);

// "Changes allowed:" (SecPermChanges).
enum class ChangesPermission { None, PageAssembly, FormFilling, Commenting, AllExceptPageExtraction };
inline constexpr std::array<std::string_view, 5> kChangesPermissions{
    "None", "Creating, inserting, deleting, rotating pages", "Filling in form fields and signing",
    "Commenting, filling in form fields and signing", "All except extract pages"};
// An entry's exact text; any other text allows nothing.
ChangesPermission ChangesPermissionOf(std::string_view text);

// Colour, grey and monochrome image downsampling (ColorDownSample, GreyDownSample,
// MonoDownSample).
enum class Downsampling { None, Average, Bicubic, Subsample };
inline constexpr std::array<std::string_view, 4> kDownsamplings{"No downsampling", "Average", "Bicubic", "Subsample"};
// The method of an entry's exact text; None for "No downsampling" and any other text.
Downsampling DownsamplingOf(std::string_view text);
// Downsampling is switched on by every text but one that starts with "No " (typed ones included).
bool DownsamplingSwitchedOn(std::string_view text);

// Monochrome image compression (Compression).
enum class MonoCompression { CcittFax, Flate, RunLength };
inline constexpr std::array<std::string_view, 3> kMonoCompressions{"CCITT Fax encoded", "Flate encode",
                                                                   "Run length encode"};
// An entry's exact text; nothing (the engine's own choice) for any other text.
std::optional<MonoCompression> MonoCompressionOf(std::string_view text);

// The entries the program writes into the record itself.
namespace entries {
inline constexpr std::string_view kSaveToDesktopAuto = TextOf(kSaveModes, SaveMode::DesktopAutomatic);
inline constexpr std::string_view kAskAuto = TextOf(kSaveModes, SaveMode::AskAutomatic);
inline constexpr std::string_view kFolderAuto = TextOf(kSaveModes, SaveMode::FolderAutomatic);
inline constexpr std::string_view kAskManual = TextOf(kSaveModes, SaveMode::AskManual);
inline constexpr std::string_view kFolderManual = TextOf(kSaveModes, SaveMode::FolderManual);
inline constexpr std::string_view kDisplayCompleted =
    TextOf(kAfterCreationActions, AfterCreationAction::ShowCompletion);
inline constexpr std::string_view kDoNothing = TextOf(kAfterCreationActions, AfterCreationAction::Nothing);
inline constexpr std::string_view kOpenPdf = TextOf(kAfterCreationActions, AfterCreationAction::OpenPdf);
inline constexpr std::string_view kOverwrite = TextOf(kExistingPdfChoices, ExistingPdf::Overwrite);
inline constexpr std::string_view kAppendToExisting = TextOf(kExistingPdfChoices, ExistingPdf::Append);
}  // namespace entries

}  // namespace vellumor::settings
