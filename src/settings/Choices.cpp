#include "settings/Choices.h"

namespace vellumor::settings {
namespace {

// The entry `text` is exactly, as its enumerator; nothing for a typed text.
template <typename Choice, std::size_t N>
std::optional<Choice> ExactEntry(const std::array<std::string_view, N>& list, std::string_view text) {
  for (std::size_t index = 0; index < N; ++index) {
    if (list[index] == text) {
      return static_cast<Choice>(index);
    }
  }
  return std::nullopt;
}

// Each enumeration numbers its list: the last enumerator is the last entry.
static_assert(static_cast<std::size_t>(SaveMode::FolderManual) + 1 == kSaveModes.size());
static_assert(static_cast<std::size_t>(AfterCreationAction::OpenPdf) + 1 == kAfterCreationActions.size());
static_assert(static_cast<std::size_t>(ExistingPdf::Append) + 1 == kExistingPdfChoices.size());
static_assert(static_cast<std::size_t>(PrintingPermission::HighResolution) + 1 == kPrintingPermissions.size());
static_assert(static_cast<std::size_t>(ChangesPermission::AllExceptPageExtraction) + 1 == kChangesPermissions.size());
static_assert(static_cast<std::size_t>(Downsampling::Subsample) + 1 == kDownsamplings.size());
static_assert(static_cast<std::size_t>(MonoCompression::RunLength) + 1 == kMonoCompressions.size());

}  // namespace

SaveTarget SaveTargetOf(std::string_view saveAs) {
  if (saveAs.starts_with('U')) {
    return SaveTarget::Folder;
  }
  if (saveAs.starts_with('S')) {
    return SaveTarget::Desktop;
  }
  return SaveTarget::Ask;
}

bool ConvertsAtOnce(std::string_view saveAs) {
  return saveAs.find("(automatic)") != std::string_view::npos;
}

AfterCreationAction AfterCreationActionOf(std::string_view text) {
  if (text.starts_with('O')) {
    return AfterCreationAction::OpenPdf;
  }
  if (text.starts_with("Di")) {
    return AfterCreationAction::ShowCompletion;
  }
  return AfterCreationAction::Nothing;
}

ExistingPdf ExistingPdfOf(std::string_view text) {
  return ExactEntry<ExistingPdf>(kExistingPdfChoices, text).value_or(ExistingPdf::Overwrite);
}

PrintingPermission PrintingPermissionOf(std::string_view text) {
  return ExactEntry<PrintingPermission>(kPrintingPermissions, text).value_or(PrintingPermission::None);
}

ChangesPermission ChangesPermissionOf(std::string_view text) {
  return ExactEntry<ChangesPermission>(kChangesPermissions, text).value_or(ChangesPermission::None);
}

Downsampling DownsamplingOf(std::string_view text) {
  return ExactEntry<Downsampling>(kDownsamplings, text).value_or(Downsampling::None);
}

bool DownsamplingSwitchedOn(std::string_view text) {
  return !text.starts_with("No ");
}

std::optional<MonoCompression> MonoCompressionOf(std::string_view text) {
  return ExactEntry<MonoCompression>(kMonoCompressions, text);
}

}  // namespace vellumor::settings
