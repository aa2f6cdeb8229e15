#include "app/ArgumentTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vellumor::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ArgumentTableTest, NoArgumentsLeaveTheTableEmpty) {
  for (const char* line : {"", "vellumor", "vellumor   ", "vellumor \t ", "\"C:\\Program Files\\Vellumor.exe\"",
                           "\"C:\\Program Files\\Vellumor.exe\"  ", "\"unclosed path with blanks"}) {
    const ArgumentTable table = SplitCommandLine(line);
    EXPECT_EQ(table.Count(), 0) << line;
    EXPECT_FALSE(table.entriesDropped || table.entriesCut) << line;
  }
}

TEST(ArgumentTableTest, EntriesKeepQuotesAndTheirSeparatingSpace) {
  EXPECT_THAT(SplitCommandLine("vellumor a.ps").entries, ElementsAre("vellumor ", "a.ps"));
  // A trailing space yields an empty last entry.
  EXPECT_THAT(SplitCommandLine("vellumor a.ps ").entries, ElementsAre("vellumor ", "a.ps ", ""));
  // Two spaces in a row give an entry of one space.
  EXPECT_THAT(SplitCommandLine("vellumor a  b").entries, ElementsAre("vellumor ", "a ", " ", "b"));
  EXPECT_THAT(SplitCommandLine("\"C:\\Program Files\\Vellumor.exe\" \"-bMy Report.doc\"").entries,
              ElementsAre("\"C:\\Program Files\\Vellumor.exe\" ", "\"-bMy Report.doc\""));
}

TEST(ArgumentTableTest, OnlyTheSpaceSeparatesAndOnlyOutsideQuotes) {
  EXPECT_THAT(SplitCommandLine("vellumor a\tb").entries, ElementsAre("vellumor ", "a\tb"));
  EXPECT_THAT(SplitCommandLine("vellumor x\"a b\"y z").entries, ElementsAre("vellumor ", "x\"a b\"y ", "z"));
  // An unmatched quote makes the rest of the line one entry.
  EXPECT_THAT(SplitCommandLine("vellumor \"a b c").entries, ElementsAre("vellumor ", "\"a b c"));
  // The program path is split like any other entry: its blanks separate when it is not quoted.
  EXPECT_THAT(SplitCommandLine("C:\\My Apps\\v.exe x").entries, ElementsAre("C:\\My ", "Apps\\v.exe ", "x"));
}

TEST(ArgumentTableTest, TooManyEntriesAreDroppedAndFlagged) {
  std::string line = "vellumor";
  for (int i = 1; i <= 300; ++i) {
    line += " f" + std::to_string(i);
  }
  const ArgumentTable table = SplitCommandLine(line);
  EXPECT_EQ(table.Count(), 255);
  EXPECT_TRUE(table.entriesDropped);
  EXPECT_FALSE(table.entriesCut);
  EXPECT_EQ(table.entries.back(), "f254 ");

  // Exactly 255 entries fit.
  std::string full = "vellumor";
  for (int i = 1; i <= 254; ++i) {
    full += " f" + std::to_string(i);
  }
  EXPECT_EQ(SplitCommandLine(full).Count(), 255);
  EXPECT_FALSE(SplitCommandLine(full).entriesDropped);
}

TEST(ArgumentTableTest, LongEntriesAreCutAndFlagged) {
  const std::string longArgument(1000, 'a');
  const ArgumentTable table = SplitCommandLine("vellumor \"" + longArgument + "\" next");
  ASSERT_EQ(table.Count(), 3);
  EXPECT_EQ(table.entries[1], "\"" + longArgument.substr(0, 253));
  EXPECT_EQ(table.entries[2], "next");
  EXPECT_TRUE(table.entriesCut);
  EXPECT_FALSE(table.entriesDropped);

  // 254 characters fit whole, the separating space included.
  const ArgumentTable exact = SplitCommandLine("vellumor " + std::string(253, 'b') + " c");
  EXPECT_EQ(exact.entries[1], std::string(253, 'b') + " ");
  EXPECT_FALSE(exact.entriesCut);

  // A character that does not fit whole is left out whole: after the quote and "-b", 83
  // three-byte characters fill 252 bytes; the 84th would need one more than the 254.
  std::string japanese;
  for (int i = 0; i < 100; ++i) {
    japanese += "\xE6\x97\xA5";
  }
  const ArgumentTable wide = SplitCommandLine("vellumor \"-b" + japanese + "\"");
  EXPECT_EQ(wide.entries[1], "\"-b" + japanese.substr(0, 3 * 83));
  EXPECT_TRUE(wide.entriesCut);
}

TEST(ArgumentTableTest, CommandLineFromArgumentsQuotesEveryPart) {
  const char* argv[] = {"/usr/bin/vellumor", "-bMy Report.doc", "plain", "", "say \"hi\""};
  EXPECT_EQ(CommandLineFromArguments(5, argv), "\"/usr/bin/vellumor\" \"-bMy Report.doc\" \"plain\" \"\" \"say hi\"");
  EXPECT_EQ(CommandLineFromArguments(0, argv), "");
  // The rebuilt line splits back into the arguments.
  const ArgumentTable table = SplitCommandLine(CommandLineFromArguments(3, argv));
  ASSERT_EQ(table.Count(), 3);
  EXPECT_EQ(CleanEntry(table.entries[1]), "-bMy Report.doc");
  EXPECT_EQ(CleanEntry(table.entries[2]), "plain");
}

TEST(ArgumentTableTest, CleanEntryRemovesQuotesAndTrims) {
  EXPECT_EQ(CleanEntry("\"-bMy Report.doc\" "), "-bMy Report.doc");
  EXPECT_EQ(CleanEntry(" "), "");
  EXPECT_EQ(CleanEntry(""), "");
  EXPECT_EQ(CleanEntry("\" a \"b\" c \""), "a b c");
  EXPECT_THAT(CleanEntry("\"\""), IsEmpty());
}

}  // namespace
}  // namespace vellumor::app
