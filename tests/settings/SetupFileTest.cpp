// Setup files: the byte format shared with the Windows product, the tolerant reader, and what
// the user is told when saving.

#include "settings/SetupFile.h"

#include <gtest/gtest.h>

#include "support/SampleSettings.h"

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "settings/QualityProfile.h"
#include "support/TempDir.h"

namespace vellumor::settings {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using namespace std::string_view_literals;

// Records the messages shown; nothing else is expected of the interface here.
class RecordingUi final : public platform::QuietInteraction {
 public:
  struct Message {
    std::string text;
    platform::MessageStyle style;
  };

  void ShowMessage(std::string_view text, platform::MessageStyle style) override {
    messages.push_back({std::string{text}, style});
  }

  std::vector<Message> messages;
};

Settings Sample() {
  return test::SampleSettings();
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start{0};
  for (std::size_t end{text.find("\r\n")}; end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(SetupFileTextTest, DefaultsStartWithTheKnownLines) {
  const std::string text{SetupFileText(DefaultSettings("c:\\"))};
  EXPECT_TRUE(
      text.starts_with("Quality;Large files, high quality for printing.\r\n"
                       "SaveAs;Save to users Desktop (automatic)\r\n"
                       "AfterCreation;Display completed\r\n"
                       "SaveToPath;c:\\\r\n"
                       "AdvAskOverwrite;0\r\n"
                       "AdvAppend;Overwrite\r\n"
                       "AdvPrefixFilename;\r\n"
                       "AdvPostfixFilename;\r\n"))
      << text;
}

TEST(SetupFileTextTest, HoldsAllFieldsInFileOrder) {
  const std::vector<std::string> lines{SplitCrLf(SetupFileText(DefaultSettings("/home/ada")))};
  const std::vector<std::string> expected{
      "Quality;Large files, high quality for printing.",
      "SaveAs;Save to users Desktop (automatic)",
      "AfterCreation;Display completed",
      "SaveToPath;/home/ada",
      "AdvAskOverwrite;0",
      "AdvAppend;Overwrite",
      "AdvPrefixFilename;",
      "AdvPostfixFilename;",
      "AdvOpenDefaultPDF;1",
      "AdvOpenWith;",
      "AdvAutoRotatePages;1",
      "AdvPdfVersion;PDF 1.5",
      "AdvPdfResolution;72",
      "AdvZoom;100",
      "AdvSheafwrightFilename;1",
      "AdvFixedFilename;",
      "AdvCheckUpdate;14 days",
      "AdvShowProgress;1",
      "AdvShowWindow;1",
      "SecPermCopy;0",
      "SecAlwaysUse;0",
      "SecPermText;0",
      "SecPermChanges;None",
      "SecPermPrinting;None",
      "SecOpenPassword;",
      "SecPermPassword;",
      "DocAlwaysUse;0",
      "DocAuthor;",
      "DocKeywords;",
      "DocSubject;",
      "DocTitle;",
      "ColorConvert;0",
      "ColorDownSample;No downsampling",
      "Compression;CCITT Fax encoded",
      "ColorFromPPI;300",
      "ColorToPPI;72",
      "GreyDownSample;No downsampling",
      "MonoDownSample;No downsampling",
      "GreyFromPPI;300",
      "GreyToPPI;72",
      "MonoFromPPI;300",
      "MonoToPPI;72",
  };
  EXPECT_EQ(lines, expected);
}

TEST(SetupFileTextTest, ValuesAreWrittenAsTheyAre) {
  Settings settings{DefaultSettings("/home/ada")};
  settings.SecOpenPassword = "p;w d";  // passwords in plain text, like every field
  settings.ColorToPPI = -72;
  settings.DocKeywords = "one\ntwo";  // a line feed inside a value becomes CR LF
  const std::string text{SetupFileText(settings)};
  EXPECT_NE(text.find("\r\nSecOpenPassword;p;w d\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nColorToPPI;-72\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nDocKeywords;one\r\ntwo\r\nDocSubject;"), std::string::npos);
}

TEST(ReadSetupTextTest, WrittenRecordReadsBackExceptTheUpdateInterval) {
  const Settings written{Sample()};
  Settings read{DefaultSettings("/home/ada")};
  ReadSetupText(SetupFileText(written), read);

  Settings expected{written};
  expected.AdvCheckUpdate = "14 days";  // a setup file never changes the update interval
  EXPECT_EQ(read, expected);
}

TEST(ReadSetupTextTest, AcceptsLfAndCrLfAndAnyOrder) {
  const Settings written{Sample()};
  const std::string crlf{SetupFileText(written)};
  std::vector<std::string> lines{SplitCrLf(crlf)};

  std::string lf;
  std::string reversed;
  for (const std::string& line : lines) {
    lf += line + "\n";
    reversed.insert(0, line + "\r\n");
  }
  Settings fromCrLf{DefaultSettings("/")};
  Settings fromLf{DefaultSettings("/")};
  Settings fromReversed{DefaultSettings("/")};
  ReadSetupText(crlf, fromCrLf);
  ReadSetupText(lf, fromLf);
  ReadSetupText(reversed, fromReversed);
  EXPECT_EQ(fromLf, fromCrLf);
  EXPECT_EQ(fromReversed, fromCrLf);
  EXPECT_EQ(fromCrLf.DocTitle, written.DocTitle);  // no CR left at the end of a value
}

TEST(ReadSetupTextTest, SubsetsDuplicatesAndUnknownLines) {
  Settings settings{DefaultSettings("/home/ada")};
  const Settings before{settings};
  ReadSetupText("Quality;Smallest size files, images suitable for on screen viewing only.\r\n", settings);
  Settings expected{before};
  expected.Quality = QualityProfileText(QualityProfile::Screen);
  EXPECT_EQ(settings, expected);

  ReadSetupText(
      "DocTitle;first\r\n"
      "Unknown;x\r\n"
      "doctitle;lower case\r\n"
      " DocTitle;leading blank\r\n"
      "AdvCheckUpdate;Never\r\n"
      "AdvLastUpdateCheck;12345\r\n"
      "\r\n"
      ";;;\r\n"
      "DocTitle;second\r\n",
      settings);
  expected.DocTitle = "second";
  EXPECT_EQ(settings, expected);
}

TEST(ReadSetupTextTest, SemicolonsSplitTheLine) {
  Settings settings{DefaultSettings("/home/ada")};
  settings.DocTitle = "old";
  settings.DocAuthor = "old";
  ReadSetupText("DocKeywords;alpha;beta\nDocTitle;\nDocAuthor\n;;DocSubject;;;gamma;\n", settings);
  EXPECT_EQ(settings.DocKeywords, "alpha");
  EXPECT_EQ(settings.DocTitle, "");
  EXPECT_EQ(settings.DocAuthor, "");
  EXPECT_EQ(settings.DocSubject, "gamma");
}

TEST(ReadSetupTextTest, FlagsAndNumbersTakeTheLeadingInteger) {
  Settings settings{DefaultSettings("/home/ada")};
  ReadSetupText("ColorToPPI;12abc\nGreyToPPI;abc\nMonoToPPI; -40\nColorConvert;1\n", settings);
  EXPECT_EQ(settings.ColorToPPI, 12);
  EXPECT_EQ(settings.GreyToPPI, 0);
  EXPECT_EQ(settings.MonoToPPI, -40);
  EXPECT_EQ(settings.ColorConvert, 1);

  // A flag or number line without a value keeps the field.
  ReadSetupText("AdvOpenDefaultPDF;\nColorFromPPI\nColorConvert;;;\n", settings);
  EXPECT_EQ(settings.AdvOpenDefaultPDF, 1);
  EXPECT_EQ(settings.ColorFromPPI, 300);
  EXPECT_EQ(settings.ColorConvert, 1);
}

TEST(ReadSetupTextTest, OnlyTheFirst254CharactersOfALineCount) {
  const std::string prefix{"DocKeywords;"};
  const std::string value(300, 'k');
  Settings settings{DefaultSettings("/home/ada")};
  ReadSetupText(prefix + value + "\r\nDocTitle;after\r\n", settings);
  EXPECT_EQ(settings.DocKeywords, std::string(254 - prefix.size(), 'k'));
  EXPECT_EQ(settings.DocTitle, "after");  // the line after an over-long one is read normally

  // Exactly at the limit, with or without CR, the whole value is taken and no CR is kept.
  const std::string full(254 - prefix.size(), 'f');
  ReadSetupText(prefix + full + "\r\n", settings);
  EXPECT_EQ(settings.DocKeywords, full);
  ReadSetupText(prefix + full + "\n", settings);
  EXPECT_EQ(settings.DocKeywords, full);
  ReadSetupText(prefix + full.substr(1) + "\r\n", settings);
  EXPECT_EQ(settings.DocKeywords, full.substr(1));
}

TEST(ReadSetupTextTest, TailOfAnOverLongLineIsNotALine) {
  // A long title whose text past the cut looks like a line of its own must not set a password.
  const std::string head{"DocTitle;"};
  const std::string line{head + std::string(254 - head.size(), 't') + "SecOpenPassword;injected;"};
  Settings settings{DefaultSettings("/home/ada")};
  ReadSetupText(line + "\r\n", settings);
  EXPECT_EQ(settings.SecOpenPassword, "");
  EXPECT_EQ(settings.DocTitle, std::string(254 - head.size(), 't'));

  // The same over several over-long lines, and at the very end of the text.
  ReadSetupText(line + line + "\n" + line, settings);
  EXPECT_EQ(settings.SecOpenPassword, "");
}

TEST(ReadSetupTextTest, BinaryContentNeverEscapesIntoTheRecord) {
  Settings settings{DefaultSettings("/home/ada")};
  ReadSetupText("DocTitle;ab\0cd\nDocAuthor;x\0\nDocSubject;\0y\n"sv, settings);
  EXPECT_EQ(settings.DocTitle, "ab");
  EXPECT_EQ(settings.DocAuthor, "x");
  EXPECT_EQ(settings.DocSubject, "");

  // Random bytes, sprinkled with field names so that some lines do match.
  std::mt19937 random{20240501};
  std::string garbage;
  for (int i{0}; i < 200000; ++i) {
    garbage += static_cast<char>(random() & 0xff);
    if (i % 997 == 0) {
      garbage += "\nDocKeywords;";
    }
  }
  ReadSetupText(garbage, settings);
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      const std::string& value{settings.*field.text};
      EXPECT_LE(value.size(), 254u) << field.name;
      EXPECT_EQ(value.find('\0'), std::string::npos) << field.name;
      EXPECT_EQ(value.find('\n'), std::string::npos) << field.name;
    }
  }
}

TEST(ReadSetupFileTest, MissingFileChangesNothing) {
  TempDir dir;
  Settings settings{Sample()};
  for (const std::filesystem::path& path : {dir / "absent.vsf", dir.Path()}) {
    const SetupFileRead read{ReadSetupFile(path, settings)};
    EXPECT_FALSE(read.read) << path;
    EXPECT_EQ(read.refused, "") << path;  // as a file that cannot be opened: nothing to tell
  }
  EXPECT_EQ(settings, Sample());
}

// The file is read in pieces; a CR LF or an over-long line split between two pieces must read
// as it does in one piece.
TEST(ReadSetupFileTest, LinesAcrossReadPiecesReadAsInMemory) {
  TempDir dir;
  for (const std::size_t crAt : {4095u, 4096u, 8191u}) {
    for (const std::size_t lineLength : {40u, 300u}) {
      std::string content;
      while (content.size() < crAt - lineLength) {
        content += "Unknown;padding padding\r\n";
      }
      content += "DocTitle;";
      content += std::string(crAt - content.size(), 'x');
      content += "\r\nDocAuthor;" + std::string(400, 'a') + "\r\nDocSubject;end\r\n";
      WriteFileBytes(dir / "pieces.vsf", content);

      Settings fromFile{DefaultSettings("/")};
      Settings fromMemory{DefaultSettings("/")};
      ASSERT_TRUE(ReadSetupFile(dir / "pieces.vsf", fromFile).read);
      ReadSetupText(content, fromMemory);
      EXPECT_EQ(fromFile, fromMemory) << crAt << " " << lineLength;
      EXPECT_EQ(fromFile.DocSubject, "end");
      EXPECT_FALSE(fromFile.DocTitle.ends_with('\r')) << crAt << " " << lineLength;
    }
  }
}

TEST(WriteSetupFileTest, NamedFileIsWrittenAndReported) {
  TempDir dir;
  WriteFileBytes(dir / "My setup.vsf", std::string(10000, 'z'));  // an existing file is replaced
  RecordingUi ui;
  const Settings settings{Sample()};
  ASSERT_TRUE(WriteSetupFile(dir / "My setup.vsf", settings, ui));
  EXPECT_EQ(ReadFileBytes(dir / "My setup.vsf"), SetupFileText(settings));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Saved to file: " + (dir / "My setup.vsf").string());
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::Application);

  Settings read{DefaultSettings("/")};
  ASSERT_TRUE(ReadSetupFile(dir / "My setup.vsf", read).read);
  EXPECT_EQ(read.DocTitle, settings.DocTitle);
}

TEST(WriteSetupFileTest, DefaultFileIsSavedSilently) {
  TempDir dir;
  const std::filesystem::path previous{std::filesystem::current_path()};
  std::filesystem::current_path(dir.Path());
  RecordingUi ui;
  const bool saved{WriteSetupFile("Default.vsf", DefaultSettings("/"), ui)};
  const bool savedInFolder{WriteSetupFile(dir / "Default.vsf", DefaultSettings("/"), ui)};
  std::filesystem::current_path(previous);

  EXPECT_TRUE(saved);
  EXPECT_TRUE(savedInFolder);
  EXPECT_EQ(ReadFileBytes(dir / "Default.vsf"), SetupFileText(DefaultSettings("/")));
  // Only the bare name is the silent default; the same file named by its full path is reported.
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Saved to file: " + (dir / "Default.vsf").string());
}

TEST(WriteSetupFileTest, FailureSaysWhyOnASecondLine) {
  TempDir dir;
  WriteFileBytes(dir / "plain", "not a folder");
  std::filesystem::create_directory(dir / "folder.vsf");
  const std::pair<std::filesystem::path, const char*> cases[] = {
      {dir / "plain" / "x.vsf", "Not a directory"},
      {dir / "missing" / "x.vsf", "No such file or directory"},
      {dir / "folder.vsf", "Is a directory"},
      // Never replaced by a file, not even by root.
      {"/dev/full", "not a regular file"},
  };
  for (const auto& [path, reason] : cases) {
    RecordingUi ui;
    EXPECT_FALSE(WriteSetupFile(path, DefaultSettings("/"), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Can't save to :" + path.string() + "\n" + reason);
    EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::Application);
  }
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.vsf"));
}

}  // namespace
}  // namespace vellumor::settings
