#include "convert/EngineArguments.h"
#include "settings/Choices.h"

#include <array>
#include <charconv>
#include <string>
#include <string_view>
#include <utility>

namespace vellumor::convert {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// "%.1lf" without the process locale: the engine parses a decimal point, never a comma, and the
// user interface may have switched the numeric locale.
std::string FormatOneDecimal(double value) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 1);
  return {buffer.data(), result.ptr};
}

// Downsampling is switched on for every choice but "No downsampling".
std::string DownsampleSwitch(std::string_view kind, std::string_view choice) {
  return "-dDownsample" + std::string{kind} + "Images=" + (settings::DownsamplingSwitchedOn(choice) ? "true" : "false");
}

// The type argument, or "" for "No downsampling" and unknown texts.
std::string DownsampleType(std::string_view kind, std::string_view choice) {
  std::string_view type;
  switch (settings::DownsamplingOf(choice)) {
    case settings::Downsampling::None:
      return {};
    case settings::Downsampling::Average:
      type = "/Average";
      break;
    case settings::Downsampling::Bicubic:
      type = "/Bicubic";
      break;
    case settings::Downsampling::Subsample:
      type = "/Subsample";
      break;
  }
  return "-d" + std::string{kind} + "ImageDownsampleType=" + std::string{type};
}

void AppendImageGroup(std::vector<std::string>& arguments, std::string_view kind, std::int32_t fromPpi,
                      std::int32_t toPpi) {
  arguments.push_back("-d" + std::string{kind} + "ImageResolution=" + std::to_string(fromPpi));
  // A "to" value of 0 has no meaningful ratio; leaving the threshold out keeps the engine's own
  // default instead of handing it an infinite or undefined number.
  if (toPpi != 0) {
    const double threshold = static_cast<double>(fromPpi) / static_cast<double>(toPpi);
    arguments.push_back("-d" + std::string{kind} + "ImageDownsampleThreshold=" + FormatOneDecimal(threshold));
  }
}

void AppendCustomImageArguments(const settings::Settings& settings, std::vector<std::string>& arguments) {
  arguments.push_back(DownsampleSwitch("Color", settings.ColorDownSample));
  arguments.push_back(DownsampleSwitch("Gray", settings.GreyDownSample));
  arguments.push_back(DownsampleSwitch("Mono", settings.MonoDownSample));
  for (const auto& [kind, choice] : {std::pair<std::string_view, std::string_view>{"Color", settings.ColorDownSample},
                                     {"Gray", settings.GreyDownSample},
                                     {"Mono", settings.MonoDownSample}}) {
    if (std::string type = DownsampleType(kind, choice); !type.empty()) {
      arguments.push_back(std::move(type));
    }
  }
  AppendImageGroup(arguments, "Color", settings.ColorFromPPI, settings.ColorToPPI);
  AppendImageGroup(arguments, "Gray", settings.GreyFromPPI, settings.GreyToPPI);
  AppendImageGroup(arguments, "Mono", settings.MonoFromPPI, settings.MonoToPPI);
  if (settings.ColorConvert != 0) {
    arguments.emplace_back("-dConvertCMYKImagesToRGB=true");
  }
  if (const std::optional<settings::MonoCompression> compression = settings::MonoCompressionOf(settings.Compression)) {
    switch (*compression) {
      case settings::MonoCompression::CcittFax:
        arguments.emplace_back("-dMonoImageFilter=/CCITTFaxEncode");
        break;
      case settings::MonoCompression::Flate:
        arguments.emplace_back("-dMonoImageFilter=/FlateEncode");
        break;
      case settings::MonoCompression::RunLength:
        // The filter's full name: Ghostscript refuses the short "/RunLength" and writes nothing.
        arguments.emplace_back("-dMonoImageFilter=/RunLengthEncode");
        break;
    }
  }
}

// The "Largest" test must come before "Large " (the PrePress text also starts with "Large").
void AppendProfileArguments(const settings::Settings& settings, std::vector<std::string>& arguments) {
  const std::string_view quality = settings.Quality;
  if (StartsWith(quality, "S")) {
    arguments.emplace_back("-dPDFSETTINGS=/screen");
  } else if (StartsWith(quality, "M")) {
    arguments.emplace_back("-dPDFSETTINGS=/ebook");
  } else if (StartsWith(quality, "Largest")) {
    arguments.emplace_back("-dPDFSETTINGS=/prepress");
  } else if (StartsWith(quality, "Large ")) {
    arguments.emplace_back("-dPDFSETTINGS=/printer");
  } else if (StartsWith(quality, "B")) {
    arguments.emplace_back("-dPDFSETTINGS=/screen");
    AppendCustomImageArguments(settings, arguments);
  }
}

// 128-bit RC4 (revision 3) needs PDF 1.4; older versions get 40-bit revision 2.
bool SupportsStrongEncryption(std::string_view version) {
  constexpr std::array<std::string_view, 7> kVersions{"PDF 1.4", "PDF 1.5", "PDF 1.6", "PDF 1.7",
                                                      "PDF 1.8", "PDF 1.9", "PDF 2.0"};
  for (const std::string_view known : kVersions) {
    if (version == known) {
      return true;
    }
  }
  return false;
}

void AppendSecurityArguments(const settings::Settings& settings, std::vector<std::string>& arguments) {
  if (!settings.SecOpenPassword.empty()) {
    arguments.push_back("-sUserPassword=" + settings.SecOpenPassword);
  }
  // Without a permissions password the open password guards the permissions as well.
  const std::string& owner = settings.SecPermPassword.empty() ? settings.SecOpenPassword : settings.SecPermPassword;
  arguments.push_back("-sOwnerPassword=" + owner);
  if (SupportsStrongEncryption(settings.AdvPdfVersion)) {
    arguments.emplace_back("-dEncryptionR=3");
    arguments.emplace_back("-dKeyLength=128");
  } else {
    arguments.emplace_back("-dEncryptionR=2");
    arguments.emplace_back("-dKeyLength=40");
  }
  if (settings.SecPermPassword.empty()) {
    arguments.emplace_back("-dPermissions=-4");
  } else {
    const std::int32_t mask = PermissionMask(settings);
    const bool revisionThree = SupportsStrongEncryption(settings.AdvPdfVersion);
    arguments.push_back("-dPermissions=" + std::to_string(revisionThree ? mask : RevisionTwoPermissions(mask)));
  }
}

}  // namespace

bool SecurityBlockActive(const settings::Settings& settings) {
  return settings.SecAlwaysUse != 0 && (!settings.SecOpenPassword.empty() || !settings.SecPermPassword.empty());
}

std::int32_t PermissionMask(const settings::Settings& settings) {
  // Bits of the PDF /P entry (bit 1 is the lowest): 3 print, 4 modify, 5 copy, 6 annotate,
  // 9 fill in forms, 10 extract for accessibility, 11 assemble, 12 high-quality print. -3904
  // has all of these cleared and every reserved bit set.
  constexpr std::int32_t kNothingAllowed = -3904;
  constexpr std::int32_t kPrint = 4;
  constexpr std::int32_t kModify = 8;
  constexpr std::int32_t kCopy = 16;
  constexpr std::int32_t kAnnotate = 32;
  constexpr std::int32_t kFillForms = 256;
  constexpr std::int32_t kAccessibility = 512;
  constexpr std::int32_t kAssemble = 1024;
  constexpr std::int32_t kHighQualityPrint = 2048;

  std::int32_t mask = kNothingAllowed;
  switch (settings::PrintingPermissionOf(settings.SecPermPrinting)) {
    case settings::PrintingPermission::None:
      break;
    case settings::PrintingPermission::LowResolution:
      mask += kPrint;
      break;
    case settings::PrintingPermission::HighResolution:
      mask += kPrint + kHighQualityPrint;
      break;
  }
  switch (settings::ChangesPermissionOf(settings.SecPermChanges)) {
    case settings::ChangesPermission::None:
      break;
    case settings::ChangesPermission::PageAssembly:
      mask += kAssemble;
      break;
    case settings::ChangesPermission::FormFilling:
      mask += kFillForms;
      break;
    case settings::ChangesPermission::Commenting:
      mask += kAnnotate + kFillForms;
      break;
    case settings::ChangesPermission::AllExceptPageExtraction:
      mask += kModify + kAnnotate + kFillForms + kAssemble;
      break;
  }
  if (settings.SecPermCopy != 0) {
    mask += kCopy;
  }
  if (settings.SecPermText != 0) {
    mask += kAccessibility;
  }
  return mask;
}

std::int32_t RevisionTwoPermissions(std::int32_t mask) {
  constexpr std::uint32_t kRevisionTwoBits = 4 | 8 | 16 | 32;
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(mask) & kRevisionTwoBits) | ~std::uint32_t{0x3F});
}

std::vector<std::string> BuildEngineArguments(const settings::Settings& settings) {
  std::vector<std::string> arguments{"Vellumor", "-dNOPAUSE", "-dBATCH", "-dQUIET", "-sDEVICE=pdfwrite"};
  AppendProfileArguments(settings, arguments);
  // "PDF 1.5" -> "1.5"; a text too short to hold a number gives an empty value.
  const std::string_view version = settings.AdvPdfVersion;
  arguments.push_back("-dCompatibilityLevel=" + std::string{version.size() > 4 ? version.substr(4) : ""});
  arguments.push_back("-r" + settings.AdvPdfResolution);
  arguments.emplace_back(settings.AdvAutoRotatePages != 0 ? "-dAutoRotatePages=/PageByPage"
                                                          : "-dAutoRotatePages=/None");
  if (SecurityBlockActive(settings)) {
    AppendSecurityArguments(settings, arguments);
  }
  return arguments;
}

}  // namespace vellumor::convert
