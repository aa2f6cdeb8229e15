#include "convert/FileNames.h"

#include <gtest/gtest.h>

namespace vellumor::convert {
namespace {

using namespace std::string_literals;

JobTitle Title(std::string_view header) {
  return ExtractJobTitle(header);
}

TEST(FileNamesTest, RemoveIllegalCharactersDropsExactlyTheNine) {
  EXPECT_EQ(RemoveIllegalCharacters("a<b>c:d?e*f\"g/h\\i|j"), "abcdefghij");
  EXPECT_EQ(RemoveIllegalCharacters("A/B:Report.pdf"), "ABReport.pdf");
  EXPECT_EQ(RemoveIllegalCharacters("Grüße (v2) [final] & co; 100%.pdf"), "Grüße (v2) [final] & co; 100%.pdf");
  EXPECT_EQ(RemoveIllegalCharacters("<>:?*\"/\\|"), "");
}

TEST(FileNamesTest, TitleLineIsFound) {
  const JobTitle title = Title("%!PS-Adobe-3.0\n%%Title: Report.txt - Notepad\n%%Creator: x\n");
  EXPECT_EQ(title.result, TitleSearch::Found);
  EXPECT_EQ(title.title, "Report.txt - Notepad");
  // The title line wins over a job name, wherever each stands.
  EXPECT_EQ(Title("@PJL JOB NAME=\"Other\"\n%%Title: Mine\n").title, "Mine");
}

TEST(FileNamesTest, JobNameIsTakenUpToTheClosingQuote) {
  const JobTitle title = Title("\x1b%-12345X@PJL JOB NAME=\"Quarterly Plan\" DISPLAY=\"x\"\n%!PS\n");
  EXPECT_EQ(title.result, TitleSearch::Found);
  EXPECT_EQ(title.title, "Quarterly Plan");
  // Without a closing quote the line end closes it.
  EXPECT_EQ(Title("@PJL JOB NAME=\"Plan\n").title, "Plan");
}

TEST(FileNamesTest, NoTitleAtAll) {
  EXPECT_EQ(Title("%!PS-Adobe-3.0\n%%Pages: 1\n").result, TitleSearch::NotFound);
  EXPECT_EQ(Title("").result, TitleSearch::NotFound);
  // "%%Title:" without its blank is not a title line.
  EXPECT_EQ(Title("%%Title:Report\n").result, TitleSearch::NotFound);
}

TEST(FileNamesTest, SearchesStopAtTheFirstZeroByte) {
  EXPECT_EQ(Title("%!PS\n\0%%Title: Hidden\n"s).result, TitleSearch::NotFound);
  EXPECT_EQ(Title("%!PS\n\0 JOB NAME=\"Hidden\"\n"s).result, TitleSearch::NotFound);
  // A zero byte inside the title line ends the title as text.
  const JobTitle title = Title("%%Title: Ab\0cd\n"s);
  EXPECT_EQ(title.result, TitleSearch::Found);
  EXPECT_EQ(title.title, "Ab");
}

TEST(FileNamesTest, TitleRunningPastTheHeaderIsIncomplete) {
  // The line end lies beyond the 520 bytes looked at.
  std::string header = std::string(500, ' ') + "%%Title: A long title\n";
  EXPECT_EQ(Title(header).result, TitleSearch::Incomplete);
  // The line feed is the 520th byte: still complete; one byte later it is not.
  header = std::string(508, ' ') + "%%Title: AB\n";
  ASSERT_EQ(header.size(), 520U);
  EXPECT_EQ(Title(header + "more").title, "AB");
  EXPECT_EQ(Title(" " + header).result, TitleSearch::Incomplete);
  // A job that ends in the title line, without a line feed.
  EXPECT_EQ(Title("%%Title: Report").result, TitleSearch::Incomplete);
  EXPECT_EQ(Title("JOB NAME=").result, TitleSearch::Incomplete);
  EXPECT_EQ(Title("JOB NAME=\"Report").result, TitleSearch::Incomplete);
}

TEST(FileNamesTest, ByteFFInsideTheTitleIsIncomplete) {
  EXPECT_EQ(Title("%%Title: Re\xFFport\n").result, TitleSearch::Incomplete);
  EXPECT_EQ(Title("JOB NAME=\"Re\xFFport\"\n").result, TitleSearch::Incomplete);
}

TEST(FileNamesTest, CarriageReturnOfADosLineIsNotPartOfTheTitle) {
  EXPECT_EQ(Title("%!PS\r\n%%Title: Report.doc\r\n%%Pages: 2\r\n").title, "Report.doc");
  // Only one CR, and only before the line feed.
  EXPECT_EQ(Title("%%Title: A\r\r\n").title, "A\r");
  EXPECT_EQ(Title("%%Title: A\rB\n").title, "A\rB");
  EXPECT_EQ(Title("JOB NAME=\"A\r\"\n").title, "A\r");
}

TEST(FileNamesTest, LongTitlesKeepTheirFirst259Characters) {
  const std::string longTitle(400, 'T');
  const JobTitle title = Title("%%Title: " + longTitle + "\n");
  EXPECT_EQ(title.result, TitleSearch::Found);
  EXPECT_EQ(title.title, longTitle.substr(0, 259));
  // Never half a character: 86 three-byte characters are 258 bytes, the 87th does not fit.
  std::string japanese;
  for (int i = 0; i < 100; ++i) {
    japanese += "\xE6\x97\xA5";
  }
  EXPECT_EQ(Title("%%Title: " + japanese + "\n").title, japanese.substr(0, 258));
}

TEST(FileNamesTest, SoundFileNamesCanBeCreatedAndAreNotHidden) {
  const std::string japanese100 = [] {
    std::string text;
    for (int i = 0; i < 100; ++i) {
      text += "\xE6\x97\xA5";  // 日
    }
    return text;
  }();
  const struct {
    std::string name;
    std::string sound;
  } cases[] = {
      {"Report.pdf", "Report.pdf"},
      {"Line\nfeed\x1B[1m bold\x7F\t.pdf", "Linefeed[1m bold.pdf"},
      {"A/B:C?.pdf", "ABC.pdf"},
      {"\x01\x1F"s + '\0' + ".pdf", "nofile.pdf"},
      {".pdf", "nofile.pdf"},
      {"..pdf", "nofile.pdf"},
      {"...pdf", "nofile.pdf"},
      {"..", "nofile.pdf"},
      {"", "nofile.pdf"},
      {".profile.pdf", "profile.pdf"},  // never a hidden file
      {"....etcx.pdf", "etcx.pdf"},
      // 241 bytes at most, ".pdf" kept, never half a character.
      {std::string(300, 'x') + ".pdf", std::string(237, 'x') + ".pdf"},
      {std::string(237, 'x') + ".pdf", std::string(237, 'x') + ".pdf"},
      {std::string(300, 'x') + ".PDF", std::string(237, 'x') + ".PDF"},
      {std::string(300, 'x'), std::string(241, 'x')},
      {japanese100 + ".pdf", japanese100.substr(0, 237) + ".pdf"},
      {"a" + japanese100 + ".pdf", "a" + japanese100.substr(0, 234) + ".pdf"},
      {std::string(300, '.') + "x.pdf", "nofile.pdf"},
  };
  for (const auto& [name, sound] : cases) {
    EXPECT_EQ(SoundFileName(name), sound) << name;
  }
}

TEST(FileNamesTest, OutputNamesFromTitles) {
  const struct {
    const char* title;
    const char* name;
  } cases[] = {
      {"Report.txt - Notepad", "Report.pdf"},
      {"Untitled - Notepad", "Untitled.pdf"},
      {" - Notepad", " - Notepad.pdf"},  // exactly the suffix: not longer than it, so kept
      {"C:\\Docs\\Plan.html", "Plan.pdf"},
      {"C:\\Docs\\Plan", "Plan.pdf"},
      {"C:\\Docs.v2\\Plan", "Plan.pdf"},
      {"Data.backup", "Data.backup.pdf"},
      {"Data.backup.pdf", "Data.backup.pdf"},
      {"Letter.doc", "Letter.pdf"},
      {"Image.jp", "Image.pdf"},
      {"a.b", "a.b.pdf"},
      {"archive.tar.gz", "archive.tar.pdf"},
      {"x.y.zz", "x.pdf"},  // of several such dots the leftmost counts
      {".txt", "txt.pdf"},  // the first character is never taken for the extension's dot
      {"Report (final)", "Report (final).pdf"},
      {"What? Now: \"yes\"", "What Now yes.pdf"},
      {"Minutes\x1B[31m 3\n", "Minutes[31m 3.pdf"},
      {"..", "nofile.pdf"},
      {".", "nofile.pdf"},
  };
  for (const auto& [title, name] : cases) {
    EXPECT_EQ(OutputNameFromTitle(title), name) << title;
  }
}

TEST(FileNamesTest, WebAddressesBecomeOneRunOfLetters) {
  EXPECT_EQ(OutputNameFromTitle("http://www.example.com/news/today"), "www.example.comnewstoday.pdf");
  EXPECT_EQ(OutputNameFromTitle("https://example.org/index.html"), "example.orgindex.pdf");
  // "http://" goes first, so "https://" inside what remains still goes.
  EXPECT_EQ(OutputNameFromTitle("Seen at http://a and https://b"), "Seen at a and b.pdf");
}

}  // namespace
}  // namespace vellumor::convert
