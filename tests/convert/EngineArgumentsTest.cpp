#include "convert/EngineArguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>

#include "settings/QualityProfile.h"

namespace vellumor::convert {
namespace {

using settings::QualityProfile;
using ::testing::Contains;
using ::testing::ElementsAre;

settings::Settings Defaults(QualityProfile profile = QualityProfile::Print) {
  settings::Settings record = settings::DefaultSettings("/home/user");
  record.Quality = settings::QualityProfileText(profile);
  return record;
}

// The arguments after the fixed five and the profile argument(s).
std::vector<std::string> Tail(const std::vector<std::string>& arguments, std::size_t from) {
  return {arguments.begin() + static_cast<std::ptrdiff_t>(from), arguments.end()};
}

bool HasArgumentStartingWith(const std::vector<std::string>& arguments, std::string_view prefix) {
  return std::any_of(arguments.begin(), arguments.end(),
                     [&](const std::string& argument) { return argument.starts_with(prefix); });
}

TEST(EngineArgumentsTest, ScreenProfileWithDefaultsIsTheWholeVector) {
  EXPECT_THAT(BuildEngineArguments(Defaults(QualityProfile::Screen)),
              ElementsAre("Vellumor", "-dNOPAUSE", "-dBATCH", "-dQUIET", "-sDEVICE=pdfwrite", "-dPDFSETTINGS=/screen",
                          "-dCompatibilityLevel=1.5", "-r72", "-dAutoRotatePages=/PageByPage"));
}

TEST(EngineArgumentsTest, EachProfileGetsItsPreset) {
  const auto profileArgument = [](std::string_view quality) {
    settings::Settings record = Defaults();
    record.Quality = quality;
    return BuildEngineArguments(record).at(5);
  };
  EXPECT_EQ(profileArgument(settings::QualityProfileText(QualityProfile::eBook)), "-dPDFSETTINGS=/ebook");
  EXPECT_EQ(profileArgument(settings::QualityProfileText(QualityProfile::Print)), "-dPDFSETTINGS=/printer");
  // "Largest" is tested before "Large ", so PrePress is not taken for Print.
  EXPECT_EQ(profileArgument(settings::QualityProfileText(QualityProfile::PrePress)), "-dPDFSETTINGS=/prepress");
  EXPECT_EQ(profileArgument(settings::QualityProfileText(QualityProfile::Custom)), "-dPDFSETTINGS=/screen");
  // "Large" without its blank matches no test.
  EXPECT_EQ(profileArgument("Large"), "-dCompatibilityLevel=1.5");
}

TEST(EngineArgumentsTest, UnknownQualityGivesNoProfileArgument) {
  settings::Settings record = Defaults();
  record.Quality = "Quality text here";
  EXPECT_THAT(Tail(BuildEngineArguments(record), 5),
              ElementsAre("-dCompatibilityLevel=1.5", "-r72", "-dAutoRotatePages=/PageByPage"));
  record.Quality = "";
  EXPECT_EQ(BuildEngineArguments(record).size(), 8U);
}

TEST(EngineArgumentsTest, CustomProfileWithDefaultsSwitchesDownsamplingOff) {
  EXPECT_THAT(
      Tail(BuildEngineArguments(Defaults(QualityProfile::Custom)), 5),
      ElementsAre("-dPDFSETTINGS=/screen", "-dDownsampleColorImages=false", "-dDownsampleGrayImages=false",
                  "-dDownsampleMonoImages=false", "-dColorImageResolution=300", "-dColorImageDownsampleThreshold=4.2",
                  "-dGrayImageResolution=300", "-dGrayImageDownsampleThreshold=4.2", "-dMonoImageResolution=300",
                  "-dMonoImageDownsampleThreshold=4.2", "-dMonoImageFilter=/CCITTFaxEncode", "-dCompatibilityLevel=1.5",
                  "-r72", "-dAutoRotatePages=/PageByPage"));
}

TEST(EngineArgumentsTest, CustomProfileWithEveryImageOptionInOrder) {
  settings::Settings record = Defaults(QualityProfile::Custom);
  record.ColorDownSample = "Bicubic";
  record.GreyDownSample = "Average";
  record.MonoDownSample = "Subsample";
  record.ColorFromPPI = 600;
  record.ColorToPPI = 150;
  record.GreyFromPPI = 200;
  record.GreyToPPI = 300;
  record.MonoFromPPI = 1200;
  record.MonoToPPI = 7;
  record.ColorConvert = 1;
  record.Compression = "Run length encode";
  record.AdvAutoRotatePages = 0;
  EXPECT_THAT(
      Tail(BuildEngineArguments(record), 6),
      ElementsAre("-dDownsampleColorImages=true", "-dDownsampleGrayImages=true", "-dDownsampleMonoImages=true",
                  "-dColorImageDownsampleType=/Bicubic", "-dGrayImageDownsampleType=/Average",
                  "-dMonoImageDownsampleType=/Subsample", "-dColorImageResolution=600",
                  "-dColorImageDownsampleThreshold=4.0", "-dGrayImageResolution=200",
                  "-dGrayImageDownsampleThreshold=0.7", "-dMonoImageResolution=1200",
                  "-dMonoImageDownsampleThreshold=171.4", "-dConvertCMYKImagesToRGB=true",
                  "-dMonoImageFilter=/RunLengthEncode", "-dCompatibilityLevel=1.5", "-r72", "-dAutoRotatePages=/None"));
}

TEST(EngineArgumentsTest, CustomTextsOutsideTheListsAddNothing) {
  settings::Settings record = Defaults(QualityProfile::Custom);
  record.ColorDownSample = "bicubic";  // comparisons are case-sensitive
  record.Compression = "Flate encode";
  const auto arguments = BuildEngineArguments(record);
  EXPECT_THAT(arguments, Contains("-dDownsampleColorImages=true"));
  EXPECT_FALSE(HasArgumentStartingWith(arguments, "-dColorImageDownsampleType="));
  EXPECT_THAT(arguments, Contains("-dMonoImageFilter=/FlateEncode"));
  record.Compression = "LZW";
  EXPECT_FALSE(HasArgumentStartingWith(BuildEngineArguments(record), "-dMonoImageFilter="));
}

TEST(EngineArgumentsTest, ToValueOfZeroLeavesOnlyThatThresholdOut) {
  settings::Settings record = Defaults(QualityProfile::Custom);
  record.GreyToPPI = 0;
  const auto arguments = BuildEngineArguments(record);
  EXPECT_THAT(arguments, Contains("-dGrayImageResolution=300"));
  EXPECT_FALSE(HasArgumentStartingWith(arguments, "-dGrayImageDownsampleThreshold="));
  EXPECT_THAT(arguments, Contains("-dColorImageDownsampleThreshold=4.2"));
  EXPECT_THAT(arguments, Contains("-dMonoImageDownsampleThreshold=4.2"));
}

TEST(EngineArgumentsTest, ThresholdKeepsADecimalPointWhateverTheLocale) {
  // A locale with a decimal comma would turn 4.2 into 4,2, which the engine cannot read.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no German locale installed (scripts/install-deps.sh makes de_DE.UTF-8)";
  }
  EXPECT_THAT(BuildEngineArguments(Defaults(QualityProfile::Custom)), Contains("-dColorImageDownsampleThreshold=4.2"));
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(EngineArgumentsTest, VersionAndResolutionArePassedOnAsTyped) {
  settings::Settings record = Defaults();
  record.AdvPdfVersion = "PDF 1.2";
  record.AdvPdfResolution = "300dpi";
  auto arguments = BuildEngineArguments(record);
  EXPECT_EQ(arguments.at(6), "-dCompatibilityLevel=1.2");
  EXPECT_EQ(arguments.at(7), "-r300dpi");
  record.AdvPdfVersion = "PDF 2.0";
  EXPECT_EQ(BuildEngineArguments(record).at(6), "-dCompatibilityLevel=2.0");
  record.AdvPdfVersion = "1.4";  // too short to hold a version: an empty value, never a read past the end
  EXPECT_EQ(BuildEngineArguments(record).at(6), "-dCompatibilityLevel=");
}

TEST(EngineArgumentsTest, SecurityNeedsAlwaysUseAndAPassword) {
  settings::Settings record = Defaults();
  record.SecOpenPassword = "open";
  record.SecPermPassword = "perm";
  EXPECT_FALSE(SecurityBlockActive(record));
  EXPECT_EQ(BuildEngineArguments(record).size(), 9U);

  record.SecAlwaysUse = 1;
  record.SecOpenPassword = "";
  record.SecPermPassword = "";
  EXPECT_FALSE(SecurityBlockActive(record));
  EXPECT_FALSE(HasArgumentStartingWith(BuildEngineArguments(record), "-dEncryptionR="));
}

TEST(EngineArgumentsTest, OpenPasswordAloneGuardsThePermissionsToo) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecOpenPassword = "s3cret word";
  record.SecPermPrinting = "High resolution";  // ignored without a permissions password
  EXPECT_THAT(Tail(BuildEngineArguments(record), 9),
              ElementsAre("-sUserPassword=s3cret word", "-sOwnerPassword=s3cret word", "-dEncryptionR=3",
                          "-dKeyLength=128", "-dPermissions=-4"));
}

TEST(EngineArgumentsTest, PermissionsPasswordAloneGivesTheMask) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecPermPassword = "perm";
  record.SecPermPrinting = "High resolution";
  record.SecPermChanges = "Creating, inserting, deleting, rotating pages";
  record.SecPermCopy = 1;
  record.SecPermText = 1;
  EXPECT_THAT(Tail(BuildEngineArguments(record), 9),
              ElementsAre("-sOwnerPassword=perm", "-dEncryptionR=3", "-dKeyLength=128", "-dPermissions=-300"));
}

TEST(EngineArgumentsTest, BothPasswordsAreKeptApart) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecOpenPassword = "open";
  record.SecPermPassword = "perm";
  EXPECT_THAT(Tail(BuildEngineArguments(record), 9),
              ElementsAre("-sUserPassword=open", "-sOwnerPassword=perm", "-dEncryptionR=3", "-dKeyLength=128",
                          "-dPermissions=-3904"));
}

TEST(EngineArgumentsTest, LongPasswordsAreNotCut) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecOpenPassword = std::string(300, 'x');
  EXPECT_THAT(BuildEngineArguments(record), Contains("-sUserPassword=" + std::string(300, 'x')));
}

TEST(EngineArgumentsTest, EncryptionStrengthFollowsTheVersion) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecOpenPassword = "pw";
  for (const char* version : {"PDF 1.2", "PDF 1.3", "PDF 1.35", "pdf 1.4", ""}) {
    record.AdvPdfVersion = version;
    const auto arguments = BuildEngineArguments(record);
    EXPECT_THAT(arguments, Contains("-dEncryptionR=2")) << version;
    EXPECT_THAT(arguments, Contains("-dKeyLength=40")) << version;
  }
  for (const char* version : {"PDF 1.4", "PDF 1.5", "PDF 1.6", "PDF 1.7", "PDF 1.8", "PDF 1.9", "PDF 2.0"}) {
    record.AdvPdfVersion = version;
    const auto arguments = BuildEngineArguments(record);
    EXPECT_THAT(arguments, Contains("-dEncryptionR=3")) << version;
    EXPECT_THAT(arguments, Contains("-dKeyLength=128")) << version;
  }
}

// PDF permission bits (1-based): 3 print, 4 modify, 5 copy, 6 annotate, 9 forms, 10 accessibility,
// 11 assemble, 12 high-quality print.
constexpr std::uint32_t Bit(int number) {
  return 1U << (number - 1);
}
constexpr std::uint32_t kGrantBits = Bit(3) | Bit(4) | Bit(5) | Bit(6) | Bit(9) | Bit(10) | Bit(11) | Bit(12);

std::uint32_t Granted(const settings::Settings& record) {
  return static_cast<std::uint32_t>(PermissionMask(record)) & kGrantBits;
}

settings::Settings Permissions(std::string_view printing, std::string_view changes, bool copy, bool text) {
  settings::Settings record = Defaults();
  record.SecPermPrinting = printing;
  record.SecPermChanges = changes;
  record.SecPermCopy = copy ? 1 : 0;
  record.SecPermText = text ? 1 : 0;
  return record;
}

TEST(EngineArgumentsTest, PermissionMaskGrantsExactlyTheChosenBits) {
  // Nothing chosen: no print, modify or copy bit, and every reserved bit set as PDF requires.
  const settings::Settings none = Permissions("None", "None", false, false);
  EXPECT_EQ(PermissionMask(none), -3904);
  EXPECT_EQ(Granted(none), 0U);
  EXPECT_EQ(static_cast<std::uint32_t>(PermissionMask(none)) | kGrantBits, 0xFFFFFFFCU);

  EXPECT_EQ(Granted(Permissions("Low resolution", "None", false, false)), Bit(3));
  EXPECT_EQ(Granted(Permissions("High resolution", "None", false, false)), Bit(3) | Bit(12));
  EXPECT_EQ(Granted(Permissions("None", "Creating, inserting, deleting, rotating pages", false, false)), Bit(11));
  EXPECT_EQ(Granted(Permissions("None", "Filling in form fields and signing", false, false)), Bit(9));
  EXPECT_EQ(Granted(Permissions("None", "Commenting, filling in form fields and signing", false, false)),
            Bit(6) | Bit(9));
  EXPECT_EQ(Granted(Permissions("None", "All except extract pages", false, false)), Bit(4) | Bit(6) | Bit(9) | Bit(11));
  EXPECT_EQ(Granted(Permissions("None", "None", true, false)), Bit(5));
  EXPECT_EQ(Granted(Permissions("None", "None", false, true)), Bit(10));
  EXPECT_EQ(PermissionMask(Permissions("High resolution", "All except extract pages", true, true)), -4);
  // Texts outside the lists grant nothing.
  EXPECT_EQ(PermissionMask(Permissions("high resolution", "Everything", false, false)), -3904);
}

TEST(EngineArgumentsTest, RevisionTwoGetsOnlyTheBitsItKnows) {
  settings::Settings record = Defaults();
  record.SecAlwaysUse = 1;
  record.SecPermPassword = "perm";
  record.AdvPdfVersion = "PDF 1.3";
  record.SecPermPrinting = "High resolution";
  record.SecPermChanges = "Creating, inserting, deleting, rotating pages";
  record.SecPermCopy = 1;
  // Print and copy; page assembly has no bit of its own in revision 2 and is not widened into
  // general modification.
  EXPECT_THAT(BuildEngineArguments(record), Contains("-dPermissions=" + std::to_string(-64 + 4 + 16)));
  EXPECT_EQ(RevisionTwoPermissions(PermissionMask(Permissions("None", "None", false, true))), -64);
  EXPECT_EQ(
      RevisionTwoPermissions(PermissionMask(Permissions("Low resolution", "All except extract pages", true, true))),
      -4);
  EXPECT_EQ(RevisionTwoPermissions(
                PermissionMask(Permissions("None", "Commenting, filling in form fields and signing", false, false))),
            -64 + 32);
}

}  // namespace
}  // namespace vellumor::convert
