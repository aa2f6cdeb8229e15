// The messages between the printer's port and the session agent: what either side accepts, and
// the failure codes and process ids as they travel.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent/AgentProtocol.h"

namespace vellumor::agent {
namespace {

using ::testing::HasSubstr;

TEST(AgentProtocolTest, OnlyWholeMessagesOfThisVersionAreAccepted) {
  const std::string longest(4096 + 1 + 64, 'n');
  struct Case {
    std::string bytes;
    std::string refusal;  // "" when accepted
  };
  const Case cases[] = {
      {"", "too short"},
      {std::string{"\x02"}, "too short"},
      {std::string{"\x01J", 2} + "Report", "protocol version 1, not 2"},
      {"GET / HTTP/1.0", "protocol version 71, not 2"},
      {std::string{"\x02Z"}, "unknown kind"},
      {std::string{"\x02"
                   "E"} +
           "signal 19",
       "unknown kind"},
      {std::string{"\x02J"} + longest + "x", "longer than 4163 bytes"},
      {std::string{"\x02J"} + longest, ""},
      {std::string{"\x02H"}, ""},
  };
  for (const Case& each : cases) {
    std::string why;
    const std::optional<Message> message = Decode(each.bytes, why);
    EXPECT_EQ(message.has_value(), each.refusal.empty()) << each.bytes.substr(0, 20);
    if (!each.refusal.empty()) {
      EXPECT_THAT(why, HasSubstr(each.refusal));
    }
  }
  std::string why;
  const std::optional<Message> job = Decode(Encode(Kind::Job, "My Report.doc"), why);
  ASSERT_TRUE(job.has_value()) << why;
  EXPECT_EQ(job->kind, Kind::Job);
  EXPECT_EQ(job->payload, "My Report.doc");
}

TEST(AgentProtocolTest, DocumentNamesAreBoundedAndWithoutNul) {
  EXPECT_EQ(DocumentNameProblem(std::string(4096, 'a')), "");
  EXPECT_EQ(DocumentNameProblem(""), "");
  EXPECT_THAT(DocumentNameProblem(std::string(4097, 'a')), HasSubstr("longer than 4096"));
  EXPECT_THAT(DocumentNameProblem(std::string{"a\0b", 3}), HasSubstr("NUL"));
}

TEST(AgentProtocolTest, JobOrdersTravelWholeAndOnlyWithAFileIdentity) {
  const JobOrder orders[] = {{"My Report.doc", ""}, {"", ""}, {"manual.pdf", "2049:131074"}, {"", "1:2"}};
  for (const JobOrder& order : orders) {
    std::string why;
    EXPECT_EQ(DecodeJob(EncodeJob(order), why), order) << why;
  }
  // The identity becomes a program option; nothing but the two numbers may ride along with it.
  // A document name and the separator: "\01" in one literal would be the octal escape of 1.
  const std::string name{"a\0", 2};
  const std::string refused[] = {name,
                                 name + "x:1",
                                 name + "1:2 x",
                                 name + "1:",
                                 name + "1:2" + std::string{'\0'} + "3:4",
                                 name + std::string(63, '1') + ":2"};
  for (const std::string& payload : refused) {
    std::string why;
    EXPECT_FALSE(DecodeJob(payload, why).has_value()) << payload;
    EXPECT_THAT(why, HasSubstr("device and file number"));
  }
}

TEST(AgentProtocolTest, OnlyKnownFailuresAndRealProcessIdsAreRead) {
  for (const Failure failure :
       {Failure::Empty, Failure::NotKept, Failure::NotStarted, Failure::Cancelled, Failure::Ending}) {
    EXPECT_EQ(DecodeFailure(EncodeFailure(failure)), failure);
  }
  // The port words failures itself: anything but one known code is no failure it reads.
  for (const char* bad : {"", "Z", "EE", "E\nPPD: DefaultPageSize=Letter"}) {
    EXPECT_FALSE(DecodeFailure(bad).has_value()) << bad;
  }
  EXPECT_EQ(DecodeProcess("4242"), 4242);
  for (const char* bad : {"", "0", "-1", "+1", "12x", "1 2", "99999999999", "1\nSTATE: +media-empty-error"}) {
    EXPECT_FALSE(DecodeProcess(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace vellumor::agent
