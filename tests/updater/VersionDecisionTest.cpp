// The decision made from the two versions found: hold back while the portal lags, offer from the
// portal or the maker's page, open the upgrade page for a new major version, or report nothing
// new; and what each answer to the offer leaves in the product key.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/CheckFixture.h"
#include "updater/VersionDecision.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

constexpr const char* kEarlierStamp = "1709000000";

class VersionDecisionTest : public CheckFixture {
 protected:
  VersionDecisionTest() {
    CreateProductKey();
    SetValue("AdvLastUpdateCheck", kEarlierStamp);
    context_.arguments = Arguments();
    context_.arguments.productPageUrl = "https://www.vellumor.example/index.htm";
    context_.arguments.portalPageUrl = "https://downloads.example/Vellumor3041587.htm";
  }

  int Decide(const std::string& maker, const std::string& portal) {
    const updater::CheckServices services = Services();
    return updater::DecideVersion(context_, services, view_, maker, portal);
  }
};

TEST_F(VersionDecisionTest, APortalBehindTheMakersPageHoldsTheOfferBack) {
  EXPECT_EQ(Decide("1.07", "1.06"), 0);
  EXPECT_EQ(view_.statuses.back(), "CNET version is less than Corvane so don't ask to update yet, try again later.");
  EXPECT_THAT(view_.offers, IsEmpty());
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), std::to_string(kNow));

  // Also when the portal's page showed nothing.
  view_.statuses.clear();
  EXPECT_EQ(Decide("1.07", ""), 0);
  EXPECT_THAT(view_.offers, IsEmpty());
}

TEST_F(VersionDecisionTest, ThePortalOffersANewerVersionOfTheSameMajorNumber) {
  view_.offerAnswers = {updater::kOfferUpdate};
  EXPECT_EQ(Decide("1.07", "1.07"), 1);
  EXPECT_THAT(view_.offers, ElementsAre(Pair("A new version of Vellumor has been found on CNET downloads.example",
                                             "Do you want to goto the download page now?")));
  EXPECT_THAT(view_.openedPages, ElementsAre("https://downloads.example/Vellumor3041587.htm"));
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kEarlierStamp);  // "Update" writes nothing

  // The maker's page failing does not keep the portal from offering.
  view_.offerAnswers = {updater::kOfferUpdate};
  EXPECT_EQ(Decide("", "1.07"), 1);

  // The whole number is the part before the point: 1.50 is still version 1.
  ASSERT_EQ(context_.arguments.productVersion, "1.06");
  view_.offerAnswers = {updater::kOfferUpdate};
  EXPECT_EQ(Decide("1.50", "1.50"), 1);
  EXPECT_EQ(view_.offers.size(), 3U);
}

TEST_F(VersionDecisionTest, IgnoringThePortalsLagOffersFromTheMakersPage) {
  context_.arguments.ignorePortalLag = 1;
  context_.arguments.productName = "100%s Vellumor";  // a name is text, never a format
  view_.offerAnswers = {updater::kOfferUpdate};
  EXPECT_EQ(Decide("1.07", "1.06"), 1);
  EXPECT_THAT(view_.offers, ElementsAre(Pair("A new version of 100%s Vellumor has been found on www.vellumor.example",
                                             "Do you want to goto the download page now?")));
  EXPECT_THAT(view_.openedPages, ElementsAre("https://www.vellumor.example/index.htm"));
}

TEST_F(VersionDecisionTest, ANewMajorVersionOpensTheUpgradePageWithoutAsking) {
  context_.arguments.upgradePageUrl = "https://www.vellumor.example/upgrade.htm";
  EXPECT_EQ(Decide("2.00", "2.00"), 0);
  context_.arguments.ignorePortalLag = 1;
  EXPECT_EQ(Decide("2.00", "1.06"), 0);
  EXPECT_THAT(view_.offers, IsEmpty());
  EXPECT_THAT(view_.openedPages,
              ElementsAre("https://www.vellumor.example/upgrade.htm", "https://www.vellumor.example/upgrade.htm"));

  // The program passes no upgrade page: nothing is opened rather than an empty address.
  context_.arguments.upgradePageUrl.clear();
  view_.openedPages.clear();
  EXPECT_EQ(Decide("2.00", "2.00"), 0);
  EXPECT_THAT(view_.openedPages, IsEmpty());
}

TEST_F(VersionDecisionTest, NothingNewIsToldOnlyToAManualCheck) {
  EXPECT_EQ(Decide("1.06", "1.06"), 0);
  EXPECT_THAT(view_.messages, IsEmpty());
  context_.arguments.manualCheck = -1;
  Decide("1.06", "1.06");
  EXPECT_THAT(view_.messages, IsEmpty());
  context_.arguments.manualCheck = 1;
  Decide("1.06", "1.06");
  EXPECT_THAT(view_.messages, ElementsAre("No updates found, you're on the latest version."));
  EXPECT_THAT(view_.offers, IsEmpty());
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kEarlierStamp);
}

TEST_F(VersionDecisionTest, VersionsCompareAsDecimalNumbers) {
  context_.arguments.productVersion = "1.9";
  context_.arguments.manualCheck = 1;
  EXPECT_EQ(Decide("1.10", "1.10"), 0);  // 1.1 is older than 1.9
  EXPECT_THAT(view_.offers, IsEmpty());
  EXPECT_THAT(view_.messages, ElementsAre("No updates found, you're on the latest version."));
}

TEST_F(VersionDecisionTest, EachAnswerToTheOfferLeavesItsMarkInTheKey) {
  struct Case {
    int answer;
    std::string stored;
  };
  for (const Case& c : {Case{updater::kOfferNever, "0"}, Case{updater::kOfferNotNow, std::to_string(kNow)},
                        Case{updater::kOfferCancel, std::to_string(kNow)}, Case{updater::kOfferClosed, kEarlierStamp},
                        Case{updater::kOfferFailed, kEarlierStamp}}) {
    SCOPED_TRACE(c.answer);
    SetValue("AdvLastUpdateCheck", kEarlierStamp);
    view_.offerAnswers = {c.answer};
    EXPECT_EQ(Decide("1.07", "1.07"), 0);
    EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), c.stored);
  }
  EXPECT_THAT(view_.openedPages, IsEmpty());
}

}  // namespace
}  // namespace vellumor::test
