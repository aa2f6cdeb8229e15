// The messages between the printer's port and the session agent: what either side accepts, and
// the ends of programs as they travel.

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
      {std::string{"\x01"}, "too short"},
      {std::string{"\x02J", 2} + "Report", "protocol version 2, not 1"},
      {"GET / HTTP/1.0", "protocol version 71, not 1"},
      {std::string{"\x01Z"}, "unknown kind"},
      {std::string{"\x01J"} + longest + "x", "longer than 4163 bytes"},
      {std::string{"\x01J"} + longest, ""},
      {std::string{"\x01H"}, ""},
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

TEST(AgentProtocolTest, ProgramEndsTravelWhole) {
  const std::pair<ProgramEnd, std::string> ends[] = {
      {{false, 0, false}, "exit 0"},
      {{false, 1, true}, "exit 1 cancelled"},
      {{true, 15, true}, "signal 15 cancelled"},
      {{true, 9, false}, "signal 9"},
  };
  for (const auto& [end, text] : ends) {
    EXPECT_EQ(EncodeEnd(end), text);
    EXPECT_EQ(DecodeEnd(text), end) << text;
  }
  for (const char* bad : {"", "exit", "exit -1", "exit 256", "exit 1x", "quit 1", "signal 15 canceled", "exit  1"}) {
    EXPECT_FALSE(DecodeEnd(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace vellumor::agent
