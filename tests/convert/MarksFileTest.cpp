#include "convert/MarksFile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "support/TempDir.h"

namespace vellumor::convert {
namespace {

using namespace std::string_literals;

constexpr std::string_view kProducer = "www.corvane.example";

settings::Settings Defaults() {
  return settings::DefaultSettings("/home/user");
}

std::string ViewLine(const settings::Settings& record) {
  const std::string text = MarksFileText(record, kProducer);
  return text.substr(0, text.find("\r\n"));
}

TEST(MarksFileTest, DefaultsGiveTheExactFile) {
  EXPECT_EQ(MarksFileText(Defaults(), kProducer),
            "[/View [/XYZ null null 1.00]  % unspecified x and y offset, 100% zoom\r\n"
            "/Page 1\r\n"
            "/PageMode /UseOutlines % /UseNone /UserOutlines /UseThumbs /FullScreen\r\n"
            "/DOCVIEW pdfmark\r\n"
            "\r\n"
            "[/Title ()\r\n"
            "/Author ()\r\n"
            "/Subject ()\r\n"
            "/Keywords ()\r\n"
            "/Creator (Vellumor v1.06)\r\n"
            "/Producer (www.corvane.example)\r\n"
            "/DOCINFO pdfmark\r\n"
            "\r\n");
}

TEST(MarksFileTest, ZoomIsTheLeadingNumberOverAHundred) {
  settings::Settings record = Defaults();
  const std::pair<const char*, const char*> cases[] = {
      {"125", "1.25"}, {"6400", "64.00"}, {"50", "0.50"},   {"10", "0.10"},
      {"", "0.00"},    {"abc", "0.00"},   {" 75%", "0.75"},
  };
  for (const auto& [zoom, value] : cases) {
    record.AdvZoom = zoom;
    // The comment stays "100% zoom" whatever the value.
    EXPECT_EQ(ViewLine(record), "[/View [/XYZ null null "s + value + "]  % unspecified x and y offset, 100% zoom")
        << zoom;
  }
}

TEST(MarksFileTest, ZoomKeepsADecimalPointWhateverTheLocale) {
  // A locale with a decimal comma would write 1,25, which the engine cannot read.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no German locale installed (scripts/install-deps.sh makes de_DE.UTF-8)";
  }
  settings::Settings record = Defaults();
  record.AdvZoom = "125";
  EXPECT_NE(ViewLine(record).find("null null 1.25]"), std::string::npos);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(MarksFileTest, DocumentValuesAreValidPostScriptStrings) {
  settings::Settings record = Defaults();
  record.DocTitle = "Budget (draft";
  record.DocAuthor = "C:\\Users\\Ann";
  record.DocSubject = "Line one\nLine two)";
  record.DocKeywords = "tab\there\x01";
  const std::string text = MarksFileText(record, kProducer);
  EXPECT_NE(text.find("[/Title (Budget \\(draft)\r\n"), std::string::npos);
  EXPECT_NE(text.find("/Author (C:\\\\Users\\\\Ann)\r\n"), std::string::npos);
  EXPECT_NE(text.find("/Subject (Line one\\nLine two\\))\r\n"), std::string::npos);
  EXPECT_NE(text.find("/Keywords (tab\\there\\001)\r\n"), std::string::npos);
}

TEST(MarksFileTest, NonAsciiTextIsWrittenAsUtf16) {
  EXPECT_EQ(PdfMarkString("Grüße"), "<FEFF0047007200FC00DF0065>");
  // Outside the basic plane: a surrogate pair.
  EXPECT_EQ(PdfMarkString("A\xF0\x9F\x98\x80"), "<FEFF0041D83DDE00>");
  // Bytes that are not UTF-8 are Latin-1 (here "Gr\xFC\xDF" + "e").
  EXPECT_EQ(PdfMarkString("Gr\xFC\xDF"
                          "e"),
            "<FEFF0047007200FC00DF0065>");
  // A truncated sequence, an overlong form and an encoded surrogate are not UTF-8 either.
  EXPECT_EQ(PdfMarkString("\xE2\x82"), "<FEFF00E20082>");
  EXPECT_EQ(PdfMarkString("\xC0\xAF"), "<FEFF00C000AF>");
  EXPECT_EQ(PdfMarkString("\xED\xA0\x80"), "<FEFF00ED00A00080>");
  // Parentheses need no escape in a hex string.
  EXPECT_EQ(PdfMarkString("(é)"), "<FEFF002800E90029>");

  settings::Settings record = Defaults();
  record.DocTitle = "Grüße";
  EXPECT_NE(MarksFileText(record, kProducer).find("\r\n[/Title <FEFF0047007200FC00DF0065>\r\n/Author ()\r\n"),
            std::string::npos);
}

TEST(MarksFileTest, AsciiStringsStayReadable) {
  EXPECT_EQ(PdfMarkString(""), "()");
  EXPECT_EQ(PdfMarkString("Plain text, 100% ok"), "(Plain text, 100% ok)");
  EXPECT_EQ(PdfMarkString("a\\b(c)d"), "(a\\\\b\\(c\\)d)");
  EXPECT_EQ(PdfMarkString("\r\b\f\x7f"s + '\0'), "(\\r\\b\\f\\177\\000)");
}

TEST(MarksFileTest, WriteMarksFileWritesBesideAReservation) {
  test::TempDir dir;
  std::string error;
  const auto temp = platform::TempFolder::At(dir.Path(), error);
  ASSERT_TRUE(temp) << error;
  settings::Settings record = Defaults();
  record.DocTitle = "Grüße";
  const auto path = WriteMarksFile(*temp, record, kProducer);
  ASSERT_TRUE(path);
  const std::string name = path->filename().string();
  EXPECT_EQ(path->parent_path(), dir.Path());
  EXPECT_TRUE(name.starts_with("vlm"));
  EXPECT_TRUE(name.ends_with(".tmp.mark.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / name.substr(0, name.size() - 9)));
  EXPECT_EQ(test::ReadFileBytes(*path), MarksFileText(record, kProducer));
  const auto perms = std::filesystem::status(*path).permissions();
  EXPECT_EQ(perms & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  // Every conversion gets a file of its own.
  const auto second = WriteMarksFile(*temp, record, kProducer);
  ASSERT_TRUE(second);
  EXPECT_NE(*second, *path);
}

TEST(MarksFileTest, APlantedLinkIsNotWrittenThrough) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "tmp");
  test::WriteFileBytes(dir / "victim", "keep");
  test::LinkEveryReservedName(dir / "tmp", ".mark.txt", dir / "victim");
  std::string error;
  const auto temp = platform::TempFolder::At(dir / "tmp", error);
  ASSERT_TRUE(temp) << error;
  EXPECT_FALSE(WriteMarksFile(*temp, Defaults(), kProducer));
  EXPECT_EQ(test::ReadFileBytes(dir / "victim"), "keep");
  // The reservation goes too: nothing but the planted links is left.
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "tmp")) {
    entries += entry.is_symlink() ? 1 : 0;
    EXPECT_TRUE(entry.is_symlink()) << entry.path();
  }
  EXPECT_EQ(entries, 0xFFFFU);
}

TEST(MarksFileTest, NothingWhenTheFolderIsGone) {
  std::optional<platform::TempFolder> temp;
  {
    test::TempDir dir;
    std::string error;
    temp = platform::TempFolder::At(dir.Path(), error);
    ASSERT_TRUE(temp) << error;
  }
  EXPECT_FALSE(WriteMarksFile(*temp, Defaults(), kProducer));
}

}  // namespace
}  // namespace vellumor::convert
