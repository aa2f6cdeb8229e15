// The schedule of the update check, kept in the product key: first run, never again, the
// interval, the stamp before any network access, and what a check that ran leaves behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/CheckFixture.h"
#include "updater/Schedule.h"

namespace vellumor::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using updater::CheckOutcome;

const std::string kNowText = std::to_string(kNow);

class UpdateCheckTest : public CheckFixture {
 protected:
  UpdateCheckTest() {
    CreateProductKey();
    ServeVersions("1.06", "1.06");
  }

  CheckOutcome Run(int manualCheck = 0) {
    updater::UpdateArguments arguments = Arguments();
    arguments.manualCheck = manualCheck;
    return RunCheck(arguments);
  }
  bool WentOnline() const { return !server_.Requests().empty(); }
};

TEST_F(UpdateCheckTest, AProductWithoutItsKeyIsNotChecked) {
  updater::UpdateArguments arguments = Arguments();
  arguments.productKey = "Sheafwright";
  const CheckOutcome outcome = RunCheck(arguments);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_THAT(view_.statuses, ElementsAre("Get info from registry...", "Failed to get registry info..."));
  EXPECT_EQ(registry_.OpenKey(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Corvane Software\\Sheafwright"),
            platform::win_error::kFileNotFound);
  EXPECT_FALSE(WentOnline());
}

TEST_F(UpdateCheckTest, TheFirstCallOnlyStartsTheClock) {
  SetValue("AdvCheckUpdate", "7 days");
  EXPECT_EQ(Run().result, 0);
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  EXPECT_EQ(view_.statuses.back(), "First time run, so now set for next time...");
  EXPECT_FALSE(WentOnline());

  // An empty stamp counts as none.
  SetValue("AdvLastUpdateCheck", "");
  SetClock(kNow + 5);
  Run();
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), std::to_string(kNow + 5));
  EXPECT_FALSE(WentOnline());
}

TEST_F(UpdateCheckTest, AManualFirstCallStampsAndChecksAtOnce) {
  Run(1);
  EXPECT_THAT(view_.statuses, Contains("First time run, so now set for next time..."));
  EXPECT_THAT(view_.statuses, Contains("Ok, ready to check on internet for an update..."));
  EXPECT_TRUE(WentOnline());
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
}

TEST_F(UpdateCheckTest, NeverAgainStopsScheduledChecksButNotManualOnes) {
  SetValue("AdvLastUpdateCheck", "0");
  Run();
  EXPECT_THAT(view_.statuses, ElementsAre("Get info from registry...", "Never check..."));
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "0");
  EXPECT_FALSE(WentOnline());

  // A manual check runs, and its stamp resumes the schedule.
  Run(1);
  EXPECT_TRUE(WentOnline());
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
}

TEST_F(UpdateCheckTest, AWaitingCheckReportsTheWholeDaysDone) {
  SetValue("AdvCheckUpdate", "14 days");
  SetValue("AdvLastUpdateCheck", std::to_string(kNow - 14 * kDay + 3600));  // 13 days 23 hours ago
  EXPECT_EQ(Run().result, 0);
  EXPECT_EQ(view_.statuses.back(), "Not ready to check on internet\r\nDone: 13 out of 14 days.");
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), std::to_string(kNow - 14 * kDay + 3600));
  EXPECT_FALSE(WentOnline());

  SetValue("AdvLastUpdateCheck", std::to_string(kNow - 14 * kDay));  // exactly 14 days
  Run();
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  EXPECT_TRUE(WentOnline());
}

TEST_F(UpdateCheckTest, IntervalsWithoutANumberMeanEveryCall) {
  for (const char* interval : {"Never", "", "<missing>"}) {
    SCOPED_TRACE(interval);
    if (std::string{interval} == "<missing>") {
      registry_.DeleteValue(platform::RegistryRoot::LocalMachine, updater::ProductKeyPath("Vellumor"),
                            "AdvCheckUpdate");
    } else {
      SetValue("AdvCheckUpdate", interval);
    }
    SetValue("AdvLastUpdateCheck", std::to_string(kNow - 1));
    Run();
    EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  }
  EXPECT_EQ(server_.Requests().size(), 6U);  // two pages per check
}

TEST_F(UpdateCheckTest, AClockSetBackWaitsUntilItPassesTheStampAgain) {
  SetValue("AdvCheckUpdate", "7 days");
  SetValue("AdvLastUpdateCheck", std::to_string(kNow + 2 * kDay + 10));
  Run();
  EXPECT_EQ(view_.statuses.back(), "Not ready to check on internet\r\nDone: -2 out of 7 days.");
  EXPECT_FALSE(WentOnline());
}

TEST_F(UpdateCheckTest, AStampWithoutDigitsReadsAsTheEpoch) {
  SetValue("AdvCheckUpdate", "30 days");
  SetValue("AdvLastUpdateCheck", "yesterday");
  Run();
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  EXPECT_TRUE(WentOnline());
}

// Stamps and intervals are 32-bit seconds; out-of-range texts wrap rather than overflow.
TEST_F(UpdateCheckTest, HugeStampsAndIntervalsWrapAsThirtyTwoBitNumbers) {
  SetValue("AdvCheckUpdate", "30000 days");  // 2,592,000,000 seconds wraps negative: always due
  SetValue("AdvLastUpdateCheck", "99999999999");
  Run();
  EXPECT_TRUE(WentOnline());
  SetClock(2147483648LL + 100);  // past 2038 the counter wraps, and so does the stamp written
  SetValue("AdvLastUpdateCheck", "");
  Run();
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "-2147483548");
}

TEST_F(UpdateCheckTest, ADueCheckStampsBeforeGoingOnline) {
  SetValue("AdvCheckUpdate", "7 days");
  SetValue("AdvLastUpdateCheck", "1000");
  connection_ = "X";
  EXPECT_EQ(Run().result, 0);
  EXPECT_THAT(view_.statuses,
              ElementsAre("Get info from registry...", "Now calculate if ready for updating since last check...",
                          "Ok, ready to check on internet for an update...", "Get connection...",
                          "Can't update, no internet connection..."));
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  EXPECT_FALSE(WentOnline());
}

TEST_F(UpdateCheckTest, ANetworkFailureEndsTheCheckAndTheStampStands) {
  SetValue("AdvLastUpdateCheck", "1000");
  server_.Serve("/index.htm", TestHttpServer::Reply{TestHttpServer::Behaviour::CloseAtOnce, 200, {}, {}});
  const CheckOutcome outcome = Run();
  ASSERT_TRUE(outcome.transportFailure);
  EXPECT_EQ(server_.Requests().size(), 1U);  // the portal is not asked any more
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);
  EXPECT_TRUE(view_.offers.empty());
}

TEST_F(UpdateCheckTest, PagesWithoutAVersionEndTheCheckSilently) {
  SetValue("AdvLastUpdateCheck", "1000");
  ServeVersions("", "");
  const CheckOutcome outcome = Run(1);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_FALSE(outcome.transportFailure);
  EXPECT_TRUE(view_.messages.empty());  // not even for a manual check
  EXPECT_TRUE(view_.offers.empty());
  EXPECT_EQ(view_.shown.makerVersionText, "0.00");
  EXPECT_EQ(view_.shown.portalVersionText, "0.00");
}

TEST_F(UpdateCheckTest, ANewerVersionOnBothPagesIsOfferedAndTheAnswerKept) {
  SetValue("AdvLastUpdateCheck", "1000");
  ServeVersions("1.07", "1.07");
  view_.offerAnswers = {updater::kOfferUpdate};
  EXPECT_EQ(Run().result, 1);
  EXPECT_THAT(view_.openedPages, ElementsAre(server_.Url("/Vellumor3041587.htm")));
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), kNowText);

  SetValue("AdvLastUpdateCheck", "1000");
  view_.offerAnswers = {updater::kOfferNever};
  EXPECT_EQ(Run().result, 0);
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "0");
}

}  // namespace
}  // namespace vellumor::test
