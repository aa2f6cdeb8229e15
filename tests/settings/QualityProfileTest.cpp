// Quality profiles recognised from their stored text, and the two summaries the main window shows.

#include "settings/QualityProfile.h"

#include <gtest/gtest.h>

namespace vellumor::settings {
namespace {

constexpr QualityProfile kAllProfiles[]{QualityProfile::Screen, QualityProfile::eBook, QualityProfile::Print,
                                        QualityProfile::PrePress, QualityProfile::Custom};

TEST(QualityProfileTest, StoredTextsAreExact) {
  EXPECT_EQ(QualityProfileText(QualityProfile::Screen),
            "Smallest size files, images suitable for on screen viewing only.");
  EXPECT_EQ(QualityProfileText(QualityProfile::eBook), "Medium size files, for web && office, images are compressed.");
  EXPECT_EQ(QualityProfileText(QualityProfile::Print), "Large files, high quality for printing.");
  EXPECT_EQ(QualityProfileText(QualityProfile::PrePress), "Largest files, preserves source quality where possible.");
  EXPECT_EQ(QualityProfileText(QualityProfile::Custom), "Based on custom settings.");
}

TEST(QualityProfileTest, EveryProfileIsRecognisedFromItsOwnText) {
  for (const QualityProfile profile : kAllProfiles) {
    EXPECT_EQ(QualityProfileFromText(QualityProfileText(profile)), profile) << QualityProfileText(profile);
  }
}

TEST(QualityProfileTest, LeadingCharactersDecide) {
  EXPECT_EQ(QualityProfileFromText("M"), QualityProfile::eBook);
  EXPECT_EQ(QualityProfileFromText("Mostly anything"), QualityProfile::eBook);
  EXPECT_EQ(QualityProfileFromText("S"), QualityProfile::Screen);
  EXPECT_EQ(QualityProfileFromText("Largest"), QualityProfile::PrePress);
  EXPECT_EQ(QualityProfileFromText("Large"), QualityProfile::Print);
  EXPECT_EQ(QualityProfileFromText("Larges"), QualityProfile::Print);
  EXPECT_EQ(QualityProfileFromText("B"), QualityProfile::Custom);
}

TEST(QualityProfileTest, UnrecognisedTextsSelectPrint) {
  EXPECT_EQ(QualityProfileFromText(""), QualityProfile::Print);
  EXPECT_EQ(QualityProfileFromText("smallest"), QualityProfile::Print);  // case matters
  EXPECT_EQ(QualityProfileFromText("largest files"), QualityProfile::Print);
  EXPECT_EQ(QualityProfileFromText(" Smallest"), QualityProfile::Print);
  EXPECT_EQ(QualityProfileFromText("Custom"), QualityProfile::Print);  // the name, not the description
  EXPECT_EQ(QualityProfileFromText("Quality text here"), QualityProfile::Print);
}

TEST(SecuritySummaryTest, FollowsThePasswordsOnly) {
  Settings settings;
  EXPECT_EQ(SecuritySummaryText(settings), "None");

  settings.SecOpenPassword = "open";
  EXPECT_EQ(SecuritySummaryText(settings), "Password required to open");

  settings.SecPermPassword = "perm";
  EXPECT_EQ(SecuritySummaryText(settings), "Password req. to open && set permissions");

  settings.SecOpenPassword = "";
  EXPECT_EQ(SecuritySummaryText(settings), "Password required to set permissions");

  // Switching protection off does not change what the summary reports.
  settings.SecOpenPassword = "open";
  settings.SecAlwaysUse = 0;
  settings.SecPermPrinting = "High resolution";
  EXPECT_EQ(SecuritySummaryText(settings), "Password req. to open && set permissions");
}

TEST(DocumentSummaryTest, ListsTheFieldsThatAreSet) {
  Settings settings;
  EXPECT_EQ(DocumentSummaryText(settings), "None");

  settings.DocTitle = "Report";
  settings.DocKeywords = "q3";
  EXPECT_EQ(DocumentSummaryText(settings), "Set Title, Keywords");

  settings.DocAuthor = "Ada";
  settings.DocSubject = "Sales";
  EXPECT_EQ(DocumentSummaryText(settings), "Set Title, Author, Subject, Keywords");

  settings.DocTitle = "";
  settings.DocKeywords = "";
  EXPECT_EQ(DocumentSummaryText(settings), "Set Author, Subject");
}

TEST(DocumentSummaryTest, BlanksCountAsSet) {
  Settings settings;
  settings.DocAuthor = " ";
  EXPECT_EQ(DocumentSummaryText(settings), "Set Author");
}

}  // namespace
}  // namespace vellumor::settings
