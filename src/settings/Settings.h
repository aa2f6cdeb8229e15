#pragma once
// The settings record: every persisted option of a conversion. Each member is named by its
// registry value name, which is also its setup-file key.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/Choices.h"

namespace vellumor::settings {

struct Settings {
  // Main window
  std::string SaveToPath;
  std::string AfterCreation;
  std::string SaveAs;
  std::string Quality;
  // Advanced options window
  std::int32_t AdvAskOverwrite{0};
  std::int32_t AdvOpenDefaultPDF{1};
  std::string AdvOpenWith;
  std::int32_t AdvAutoRotatePages{1};
  std::string AdvPdfVersion;
  std::string AdvPdfResolution;
  std::int32_t AdvSheafwrightFilename{1};
  std::string AdvCheckUpdate;
  std::string AdvZoom;
  std::string AdvPrefixFilename;
  std::string AdvPostfixFilename;
  std::string AdvAppend;
  std::int32_t AdvShowProgress{1};
  std::int32_t AdvShowWindow{1};
  std::string AdvFixedFilename;
  // Security window
  std::int32_t SecAlwaysUse{0};
  std::int32_t SecPermCopy{0};
  std::int32_t SecPermText{0};
  std::string SecPermChanges;
  std::string SecPermPrinting;
  std::string SecOpenPassword;
  std::string SecPermPassword;
  // Document properties window
  std::int32_t DocAlwaysUse{0};
  std::string DocAuthor;
  std::string DocKeywords;
  std::string DocSubject;
  std::string DocTitle;
  // Custom image settings window
  std::int32_t ColorConvert{0};
  std::string ColorDownSample;
  std::string Compression;
  std::int32_t ColorFromPPI{300};
  std::int32_t ColorToPPI{72};
  std::string GreyDownSample;
  std::string MonoDownSample;
  std::int32_t GreyFromPPI{300};
  std::int32_t GreyToPPI{72};
  std::int32_t MonoFromPPI{300};
  std::int32_t MonoToPPI{72};

  bool operator==(const Settings&) const = default;
};

inline constexpr int kSettingsFieldCount = 42;

enum class FieldKind { Text, Flag, Number };

// One field of the record, for the stores that walk all of them.
struct FieldInfo {
  std::string_view name;
  FieldKind kind;
  std::string Settings::*text;     // set for Text fields
  std::int32_t Settings::*number;  // set for Flag and Number fields
};

// The 42 fields in the order the registry store writes and reads them.
std::span<const FieldInfo> RegistryFieldOrder();
// The 42 fields in the order a setup file holds them.
std::span<const FieldInfo> SetupFileFieldOrder();
// The field of that exact name (case-sensitive), or nullptr.
const FieldInfo* FindField(std::string_view name);

// The record with the defaults of every field. `SaveToPath` starts at `homeFolder`.
Settings DefaultSettings(std::string_view homeFolder);

// A flag or number read from text: leading blanks, an optional sign, then digits; no digits
// give 0. Out-of-range values wrap as a 32-bit integer would.
std::int32_t ParseLeadingInteger(std::string_view text);

}  // namespace vellumor::settings
