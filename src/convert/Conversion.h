#pragma once
// One conversion of the print job into a PDF, with Ghostscript running in this process.

#include <filesystem>
#include <memory>
#include <string>

#include "convert/JobState.h"
#include "convert/Services.h"

namespace vellumor::convert {

enum class ConversionResult {
  Written,            // the PDF is complete at its path
  NoJobFile,          // "Error!, no temp postscript file"
  EngineUnavailable,  // "Error with GS init"
  NoFileName,         // the save dialog was cancelled
  OverwriteDeclined,  // the user kept the existing file
  Failed,             // the engine or the file system failed; nothing of the user's was lost
  Cancelled,          // a cancellation (signal) stopped it; nothing of the user's was lost
};

struct ConversionOutcome {
  ConversionResult result{ConversionResult::Failed};
  std::filesystem::path pdf;  // where the PDF was (or would have been) written
};

// "&Create PDF": shows progress, checks the job file and runs the conversion.
ConversionOutcome CreatePdf(JobState& state, const Services& services);

// The conversion itself: arguments, output path, then the PDF written in place (PdfWriter) and
// the after-creation action.
ConversionOutcome RunConversion(JobState& state, const Services& services);

// Tells the user that no PDF was written: the fixed text, then what went wrong.
void ReportConversionFailure(platform::UserInteraction& ui, std::string_view detail);
// A new engine instance; nothing when none could be made, and then the user was told so, and why
// when the engine knows.
std::unique_ptr<EngineInstance> NewEngineOrReport(const Services& services);

// Texts the user sees.
inline constexpr std::string_view kNoJobFileMessage = "Error!, no temp postscript file";
inline constexpr std::string_view kEngineInitMessage = "Error with GS init";
inline constexpr std::string_view kNoFileNameMessage = "No filename given!";
inline constexpr std::string_view kOverwriteQuestion = "Do you want to overwrite existing file?";
inline constexpr std::string_view kFatalEngineMessage =
    "Fatal Error!, Possible enviroment variable issue - a reboot may now fix this issue, if the problem persists "
    "please check for updates or contact us.";
inline constexpr std::string_view kConversionFailedMessage = "Error!, the PDF could not be created";

}  // namespace vellumor::convert
