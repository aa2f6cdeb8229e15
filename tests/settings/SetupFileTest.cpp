// Setup files: the byte format shared with the Windows product, the tolerant reader, and what
// the user is told when saving.

#include "settings/SetupFile.h"

#include <gtest/gtest.h>

#include "support/SampleSettings.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A setup file may come from anywhere: whatever sits at its name, reading ends at once.
TEST(ReadSetupFileTest, OnlyRegularFilesOfSaneSizeAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.vsf").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero.vsf");
  WriteFileBytes(dir / "huge.vsf", "DocTitle;huge\r\n");
  std::filesystem::resize_file(dir / "huge.vsf", 300 << 20);
  // Far below the limit but far above any real file: read.
  WriteFileBytes(dir / "big.vsf", std::string(1000000, '\n') + "DocTitle;big\r\n");
  WriteFileBytes(dir / "plain.vsf", "DocTitle;plain\r\n");
  std::filesystem::create_symlink(dir / "plain.vsf", dir / "link.vsf");

  struct Case {
    const char* name;
    platform::FinalLink link;
    const char* refused;  // "" when read
    const char* title;
  };
  const Case cases[] = {
      {"fifo.vsf", platform::FinalLink::Follow, "not a regular file", ""},
      {"zero.vsf", platform::FinalLink::Follow, "not a regular file", ""},
      {"huge.vsf", platform::FinalLink::Follow, "larger than 1 MB", ""},
      {"big.vsf", platform::FinalLink::Follow, "", "big"},
      {"link.vsf", platform::FinalLink::Follow, "", "plain"},
      {"link.vsf", platform::FinalLink::Refuse, "a symbolic link", ""},
      {"plain.vsf", platform::FinalLink::Refuse, "", "plain"},
  };
  for (const Case& c : cases) {
    Settings settings{DefaultSettings("/")};
    const SetupFileRead read{ReadSetupFile(dir / c.name, settings, c.link)};
    EXPECT_EQ(read.read, std::string_view{c.refused}.empty()) << c.name;
    EXPECT_EQ(read.refused, c.refused) << c.name;
    EXPECT_EQ(settings.DocTitle, c.title) << c.name;
  }
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

// The disk filling up half-way (here: a file size limit) must not cost the user the file that
// was there.
TEST(WriteSetupFileTest, FailedWriteKeepsTheOldFileWhole) {
  TempDir dir;
  const std::filesystem::path path{dir / "kept.vsf"};
  const std::string old{SetupFileText(Sample())};
  WriteFileBytes(path, old);
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
    RecordingUi ui;
    const bool saved{WriteSetupFile(path, DefaultSettings("/"), ui)};
    const std::string said{saved ? "saved" : ui.messages.empty() ? "" : ui.messages[0].text};
    (void)!::write(channel[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string said(512, '\0');
  const ssize_t got{::read(channel[0], said.data(), said.size())};
  said.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(said, "Can't save to :" + path.string() + "\nFile too large");
  EXPECT_EQ(ReadFileBytes(path), old);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    files.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(files, std::vector<std::string>{"kept.vsf"});
}

// The file holds the passwords: nobody else may read it, whatever the umask or the old mode.
TEST(WriteSetupFileTest, SavedFileIsPrivateAndReplacesALinkNotItsTarget) {
  TempDir dir;
  const mode_t previousMask{::umask(0)};
  const std::pair<int, mode_t> cases[] = {{-1, 0600}, {0644, 0600}, {0660, 0600}, {0200, 0200}};
  for (const auto& [before, after] : cases) {
    const std::filesystem::path path{dir / ("mode" + std::to_string(before) + ".vsf")};
    if (before >= 0) {
      WriteFileBytes(path, "old");
      ::chmod(path.c_str(), static_cast<mode_t>(before));
    }
    RecordingUi ui;
    EXPECT_TRUE(WriteSetupFile(path, Sample(), ui)) << before;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, after) << before;
  }
  ::umask(previousMask);

  WriteFileBytes(dir / "target.vsf", "target");
  std::filesystem::create_symlink(dir / "target.vsf", dir / "link.vsf");
  RecordingUi ui;
  ASSERT_TRUE(WriteSetupFile(dir / "link.vsf", Sample(), ui));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "link.vsf"));
  EXPECT_EQ(ReadFileBytes(dir / "link.vsf"), SetupFileText(Sample()));
  EXPECT_EQ(ReadFileBytes(dir / "target.vsf"), "target");
}

}  // namespace
}  // namespace vellumor::settings
