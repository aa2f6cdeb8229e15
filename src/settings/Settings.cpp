#include "settings/Settings.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "settings/QualityProfile.h"

namespace vellumor::settings {

namespace {

constexpr FieldInfo TextField(std::string_view name, std::string Settings::*member) {
  return FieldInfo{name, FieldKind::Text, member, nullptr};
}

constexpr FieldInfo FlagField(std::string_view name, std::int32_t Settings::*member) {
  return FieldInfo{name, FieldKind::Flag, nullptr, member};
}

constexpr FieldInfo NumberField(std::string_view name, std::int32_t Settings::*member) {
  return FieldInfo{name, FieldKind::Number, nullptr, member};
}

// The order in which the registry store writes the product key. Existing keys were written in
// this order by earlier versions, so it stays as it is even where it differs from the setup files.
constexpr std::array<FieldInfo, kSettingsFieldCount> kRegistryOrder{{
    TextField("Quality", &Settings::Quality),
    TextField("SaveAs", &Settings::SaveAs),
    TextField("AfterCreation", &Settings::AfterCreation),
    TextField("SaveToPath", &Settings::SaveToPath),
    FlagField("AdvAskOverwrite", &Settings::AdvAskOverwrite),
    TextField("AdvAppend", &Settings::AdvAppend),
    TextField("AdvPrefixFilename", &Settings::AdvPrefixFilename),
    TextField("AdvPostfixFilename", &Settings::AdvPostfixFilename),
    FlagField("AdvOpenDefaultPDF", &Settings::AdvOpenDefaultPDF),
    TextField("AdvOpenWith", &Settings::AdvOpenWith),
    FlagField("AdvAutoRotatePages", &Settings::AdvAutoRotatePages),
    TextField("AdvPdfVersion", &Settings::AdvPdfVersion),
    TextField("AdvPdfResolution", &Settings::AdvPdfResolution),
    TextField("AdvZoom", &Settings::AdvZoom),
    FlagField("AdvSheafwrightFilename", &Settings::AdvSheafwrightFilename),
    TextField("AdvCheckUpdate", &Settings::AdvCheckUpdate),
    FlagField("AdvShowProgress", &Settings::AdvShowProgress),
    FlagField("AdvShowWindow", &Settings::AdvShowWindow),
    TextField("AdvFixedFilename", &Settings::AdvFixedFilename),
    FlagField("SecAlwaysUse", &Settings::SecAlwaysUse),
    FlagField("SecPermCopy", &Settings::SecPermCopy),
    FlagField("SecPermText", &Settings::SecPermText),
    TextField("SecPermChanges", &Settings::SecPermChanges),
    TextField("SecPermPrinting", &Settings::SecPermPrinting),
    TextField("SecOpenPassword", &Settings::SecOpenPassword),
    TextField("SecPermPassword", &Settings::SecPermPassword),
    FlagField("DocAlwaysUse", &Settings::DocAlwaysUse),
    TextField("DocAuthor", &Settings::DocAuthor),
    TextField("DocKeywords", &Settings::DocKeywords),
    TextField("DocSubject", &Settings::DocSubject),
    TextField("DocTitle", &Settings::DocTitle),
    FlagField("ColorConvert", &Settings::ColorConvert),
    TextField("ColorDownSample", &Settings::ColorDownSample),
    TextField("Compression", &Settings::Compression),
    NumberField("ColorFromPPI", &Settings::ColorFromPPI),
    NumberField("ColorToPPI", &Settings::ColorToPPI),
    TextField("GreyDownSample", &Settings::GreyDownSample),
    TextField("MonoDownSample", &Settings::MonoDownSample),
    NumberField("GreyFromPPI", &Settings::GreyFromPPI),
    NumberField("GreyToPPI", &Settings::GreyToPPI),
    NumberField("MonoFromPPI", &Settings::MonoFromPPI),
    NumberField("MonoToPPI", &Settings::MonoToPPI),
}};

constexpr std::size_t IndexOf(const std::array<FieldInfo, kSettingsFieldCount>& fields, std::string_view name) {
  std::size_t index = 0;
  while (fields[index].name != name) {
    ++index;
  }
  return index;
}

// The line order of a setup file. Files are exchanged with the Windows product, whose writer
// puts `AdvFixedFilename` before `AdvCheckUpdate` and `SecPermCopy` before `SecAlwaysUse`; the
// rest follows the registry order.
constexpr std::array<FieldInfo, kSettingsFieldCount> MakeSetupFileOrder() {
  std::array<FieldInfo, kSettingsFieldCount> order = kRegistryOrder;
  const std::size_t checkUpdate = IndexOf(order, "AdvCheckUpdate");
  const std::size_t fixedName = IndexOf(order, "AdvFixedFilename");
  std::rotate(order.begin() + checkUpdate, order.begin() + fixedName, order.begin() + fixedName + 1);
  std::swap(order[IndexOf(order, "SecAlwaysUse")], order[IndexOf(order, "SecPermCopy")]);
  return order;
}

constexpr std::array<FieldInfo, kSettingsFieldCount> kSetupFileOrder = MakeSetupFileOrder();

}  // namespace

std::span<const FieldInfo> RegistryFieldOrder() {
  return kRegistryOrder;
}

std::span<const FieldInfo> SetupFileFieldOrder() {
  return kSetupFileOrder;
}

const FieldInfo* FindField(std::string_view name) {
  const auto found =
      std::find_if(kRegistryOrder.begin(), kRegistryOrder.end(), [name](const FieldInfo& f) { return f.name == name; });
  return found == kRegistryOrder.end() ? nullptr : &*found;
}

Settings DefaultSettings(std::string_view homeFolder) {
  // The integer defaults live in the record's member initialisers; the texts are set here.
  Settings settings;
  settings.SaveToPath = homeFolder;
  settings.AfterCreation = entries::kDisplayCompleted;
  settings.SaveAs = entries::kSaveToDesktopAuto;
  settings.Quality = QualityProfileText(QualityProfile::Print);
  settings.AdvPdfVersion = kPdfVersions[3];  // "PDF 1.5"
  settings.AdvPdfResolution = "72";
  settings.AdvCheckUpdate = kUpdateIntervals[1];  // "14 days"
  settings.AdvZoom = kZoomLevels[4];              // "100"
  settings.AdvAppend = entries::kOverwrite;
  settings.SecPermChanges = TextOf(kChangesPermissions, ChangesPermission::None);
  settings.SecPermPrinting = TextOf(kPrintingPermissions, PrintingPermission::None);
  settings.ColorDownSample = TextOf(kDownsamplings, Downsampling::None);
  settings.Compression = TextOf(kMonoCompressions, MonoCompression::CcittFax);
  settings.GreyDownSample = TextOf(kDownsamplings, Downsampling::None);
  settings.MonoDownSample = TextOf(kDownsamplings, Downsampling::None);
  return settings;
}

std::int32_t ParseLeadingInteger(std::string_view text) {
  return base::ParseLeadingInteger(text);
}

}  // namespace vellumor::settings
