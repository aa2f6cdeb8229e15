// The settings record: defaults of a first start and the two field tables the stores walk.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace vellumor::settings {
namespace {

TEST(DefaultSettingsTest, FirstStartValues) {
  const Settings settings{DefaultSettings("/home/ada")};
  EXPECT_EQ(settings.Quality, "Large files, high quality for printing.");
  EXPECT_EQ(settings.SaveAs, "Save to users Desktop (automatic)");
  EXPECT_EQ(settings.AfterCreation, "Display completed");
  EXPECT_EQ(settings.SaveToPath, "/home/ada");

  EXPECT_EQ(settings.AdvAskOverwrite, 0);
  EXPECT_EQ(settings.AdvOpenDefaultPDF, 1);
  EXPECT_EQ(settings.AdvOpenWith, "");
  EXPECT_EQ(settings.AdvAutoRotatePages, 1);
  EXPECT_EQ(settings.AdvPdfVersion, "PDF 1.5");
  EXPECT_EQ(settings.AdvPdfResolution, "72");
  EXPECT_EQ(settings.AdvSheafwrightFilename, 1);
  EXPECT_EQ(settings.AdvCheckUpdate, "14 days");
  EXPECT_EQ(settings.AdvZoom, "100");
  EXPECT_EQ(settings.AdvPrefixFilename, "");
  EXPECT_EQ(settings.AdvPostfixFilename, "");
  EXPECT_EQ(settings.AdvAppend, "Overwrite");
  EXPECT_EQ(settings.AdvShowProgress, 1);
  EXPECT_EQ(settings.AdvShowWindow, 1);
  EXPECT_EQ(settings.AdvFixedFilename, "");

  EXPECT_EQ(settings.SecAlwaysUse, 0);
  EXPECT_EQ(settings.SecPermCopy, 0);
  EXPECT_EQ(settings.SecPermText, 0);
  EXPECT_EQ(settings.SecPermChanges, "None");
  EXPECT_EQ(settings.SecPermPrinting, "None");
  EXPECT_EQ(settings.SecOpenPassword, "");
  EXPECT_EQ(settings.SecPermPassword, "");

  EXPECT_EQ(settings.DocAlwaysUse, 0);
  EXPECT_EQ(settings.DocAuthor, "");
  EXPECT_EQ(settings.DocKeywords, "");
  EXPECT_EQ(settings.DocSubject, "");
  EXPECT_EQ(settings.DocTitle, "");

  EXPECT_EQ(settings.ColorConvert, 0);
  EXPECT_EQ(settings.ColorDownSample, "No downsampling");
  EXPECT_EQ(settings.GreyDownSample, "No downsampling");
  EXPECT_EQ(settings.MonoDownSample, "No downsampling");
  EXPECT_EQ(settings.Compression, "CCITT Fax encoded");
  EXPECT_EQ(settings.ColorFromPPI, 300);
  EXPECT_EQ(settings.GreyFromPPI, 300);
  EXPECT_EQ(settings.MonoFromPPI, 300);
  EXPECT_EQ(settings.ColorToPPI, 72);
  EXPECT_EQ(settings.GreyToPPI, 72);
  EXPECT_EQ(settings.MonoToPPI, 72);
}

std::vector<std::string> Names(std::span<const FieldInfo> fields) {
  std::vector<std::string> names;
  for (const FieldInfo& field : fields) {
    names.emplace_back(field.name);
  }
  return names;
}

std::string JoinedNames(std::span<const FieldInfo> fields) {
  std::string joined;
  for (const FieldInfo& field : fields) {
    joined += joined.empty() ? "" : " ";
    joined += field.name;
  }
  return joined;
}

TEST(FieldTableTest, RegistryOrderIsTheStoredOrder) {
  EXPECT_EQ(JoinedNames(RegistryFieldOrder()),
            "Quality SaveAs AfterCreation SaveToPath AdvAskOverwrite AdvAppend AdvPrefixFilename AdvPostfixFilename "
            "AdvOpenDefaultPDF AdvOpenWith AdvAutoRotatePages AdvPdfVersion AdvPdfResolution AdvZoom "
            "AdvSheafwrightFilename AdvCheckUpdate AdvShowProgress AdvShowWindow AdvFixedFilename SecAlwaysUse "
            "SecPermCopy SecPermText SecPermChanges SecPermPrinting SecOpenPassword SecPermPassword DocAlwaysUse "
            "DocAuthor DocKeywords DocSubject DocTitle ColorConvert ColorDownSample Compression ColorFromPPI "
            "ColorToPPI GreyDownSample MonoDownSample GreyFromPPI GreyToPPI MonoFromPPI MonoToPPI");
}

// A distinct number for each field name.
std::int32_t Code(std::string_view name) {
  return static_cast<std::int32_t>(std::hash<std::string_view>{}(name)&0x7fffffff);
}

// Every entry must reach its own member with the right kind: a slip that points a name at
// another member would silently exchange or lose settings in both stores.
TEST(FieldTableTest, EachNameReachesItsOwnMember) {
  Settings settings;
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      ASSERT_NE(field.text, nullptr) << field.name;
      settings.*field.text = std::string{field.name};
    } else {
      ASSERT_NE(field.number, nullptr) << field.name;
      settings.*field.number = Code(field.name);
    }
  }
#define EXPECT_TEXT_FIELD(member) EXPECT_EQ(settings.member, #member)
#define EXPECT_NUMBER_FIELD(member) EXPECT_EQ(settings.member, Code(#member))
  EXPECT_TEXT_FIELD(SaveToPath);
  EXPECT_TEXT_FIELD(AfterCreation);
  EXPECT_TEXT_FIELD(SaveAs);
  EXPECT_TEXT_FIELD(Quality);
  EXPECT_TEXT_FIELD(AdvOpenWith);
  EXPECT_TEXT_FIELD(AdvPdfVersion);
  EXPECT_TEXT_FIELD(AdvPdfResolution);
  EXPECT_TEXT_FIELD(AdvCheckUpdate);
  EXPECT_TEXT_FIELD(AdvZoom);
  EXPECT_TEXT_FIELD(AdvPrefixFilename);
  EXPECT_TEXT_FIELD(AdvPostfixFilename);
  EXPECT_TEXT_FIELD(AdvAppend);
  EXPECT_TEXT_FIELD(AdvFixedFilename);
  EXPECT_TEXT_FIELD(SecPermChanges);
  EXPECT_TEXT_FIELD(SecPermPrinting);
  EXPECT_TEXT_FIELD(SecOpenPassword);
  EXPECT_TEXT_FIELD(SecPermPassword);
  EXPECT_TEXT_FIELD(DocAuthor);
  EXPECT_TEXT_FIELD(DocKeywords);
  EXPECT_TEXT_FIELD(DocSubject);
  EXPECT_TEXT_FIELD(DocTitle);
  EXPECT_TEXT_FIELD(ColorDownSample);
  EXPECT_TEXT_FIELD(Compression);
  EXPECT_TEXT_FIELD(GreyDownSample);
  EXPECT_TEXT_FIELD(MonoDownSample);
  EXPECT_NUMBER_FIELD(AdvAskOverwrite);
  EXPECT_NUMBER_FIELD(AdvOpenDefaultPDF);
  EXPECT_NUMBER_FIELD(AdvAutoRotatePages);
  EXPECT_NUMBER_FIELD(AdvSheafwrightFilename);
  EXPECT_NUMBER_FIELD(AdvShowProgress);
  EXPECT_NUMBER_FIELD(AdvShowWindow);
  EXPECT_NUMBER_FIELD(SecAlwaysUse);
  EXPECT_NUMBER_FIELD(SecPermCopy);
  EXPECT_NUMBER_FIELD(SecPermText);
  EXPECT_NUMBER_FIELD(DocAlwaysUse);
  EXPECT_NUMBER_FIELD(ColorConvert);
  EXPECT_NUMBER_FIELD(ColorFromPPI);
  EXPECT_NUMBER_FIELD(ColorToPPI);
  EXPECT_NUMBER_FIELD(GreyFromPPI);
  EXPECT_NUMBER_FIELD(GreyToPPI);
  EXPECT_NUMBER_FIELD(MonoFromPPI);
  EXPECT_NUMBER_FIELD(MonoToPPI);
#undef EXPECT_TEXT_FIELD
#undef EXPECT_NUMBER_FIELD

  for (const FieldInfo& field : RegistryFieldOrder()) {
    const bool isNumber{field.name.ends_with("PPI")};
    if (field.kind != FieldKind::Text) {
      EXPECT_EQ(field.kind, isNumber ? FieldKind::Number : FieldKind::Flag) << field.name;
    }
  }
}

TEST(FieldTableTest, SetupOrderDiffersOnlyByTheTwoSwaps) {
  std::vector<std::string> swapped{Names(RegistryFieldOrder())};
  ASSERT_EQ(swapped.size(), static_cast<std::size_t>(kSettingsFieldCount));
  // AdvFixedFilename moves up before AdvCheckUpdate; SecPermCopy changes place with SecAlwaysUse.
  std::rotate(swapped.begin() + 15, swapped.begin() + 18, swapped.begin() + 19);
  std::swap(swapped[19], swapped[20]);
  EXPECT_EQ(Names(SetupFileFieldOrder()), swapped);

  for (const FieldInfo& field : SetupFileFieldOrder()) {
    const FieldInfo* same{FindField(field.name)};
    ASSERT_NE(same, nullptr) << field.name;
    EXPECT_EQ(same->kind, field.kind);
    EXPECT_EQ(same->text, field.text);
    EXPECT_EQ(same->number, field.number);
  }
}

TEST(FieldTableTest, FindFieldIsExactAndCaseSensitive) {
  ASSERT_NE(FindField("MonoToPPI"), nullptr);
  EXPECT_EQ(FindField("MonoToPPI")->number, &Settings::MonoToPPI);
  EXPECT_EQ(FindField("monotoppi"), nullptr);
  EXPECT_EQ(FindField("MonoToPPI "), nullptr);
  EXPECT_EQ(FindField(" MonoToPPI"), nullptr);
  EXPECT_EQ(FindField("Mono"), nullptr);
  EXPECT_EQ(FindField(""), nullptr);
  EXPECT_EQ(FindField("AdvLastUpdateCheck"), nullptr);  // the updater's own value, not a setting
}

TEST(ParseLeadingIntegerTest, ReadsTheLeadingDecimal) {
  EXPECT_EQ(ParseLeadingInteger("300"), 300);
  EXPECT_EQ(ParseLeadingInteger("12abc"), 12);
  EXPECT_EQ(ParseLeadingInteger("abc"), 0);
  EXPECT_EQ(ParseLeadingInteger(""), 0);
  EXPECT_EQ(ParseLeadingInteger("  -7 days"), -7);
  EXPECT_EQ(ParseLeadingInteger("4294967297"), 1);  // wraps, never fails
}

}  // namespace
}  // namespace vellumor::settings
