#include "platform/posix/HiveFile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vellumor::platform {
namespace {

bool operator==(const RegistryValue& left, const RegistryValue& right) {
  return left.name == right.name && left.type == right.type && left.data == right.data;
}

RegistryValue Text(std::string name, std::string data) {
  return RegistryValue{std::move(name), kRegSz, std::move(data)};
}

// Bytes that a careless line-based or quote-based writer would damage.
const std::string kAwkward = std::string{"a\"b\\c\r\nd\te\x1A"} + std::string{"\0f", 2} +
                             "\x7F\xFF\x80 Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC \xF0\x9F\x98\x80 cut\xE2\x82";

TEST(HiveFileTest, EveryByteOfNamesAndDataSurvivesTheRoundTrip) {
  std::string allBytes;
  for (int byte = 0; byte < 256; ++byte) {
    allBytes += static_cast<char>(byte);
  }
  Hive hive;
  hive.keys.push_back(HiveKey{
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Software\\Vellumor",
      {Text("Quality", "Print"), Text("", "default"), Text("Empty", ""), Text(kAwkward, kAwkward),
       Text("all", allBytes), Text("CRLF\r\n", "\r\n"),
       RegistryValue{"Number", kRegDword, std::string{"\x1e\0\0\0", 4}}, RegistryValue{"ShortDword", kRegDword, "\x01"},
       RegistryValue{"Blob", kRegBinary, std::string{"\0\xFF\x10", 3}},
       RegistryValue{"Expand", kRegExpandSz, "%HOME%\\x"}, RegistryValue{"Qword", 0x0B, "12345678"},
       RegistryValue{"NoData", 7, ""}}});
  hive.keys.push_back(
      HiveKey{"HKEY_LOCAL_MACHINE\\Gr\xC3\xBC\xC3\x9F"
              "e [x] \"q\"",
              {Text("k", "v")}});

  const std::string text = SerializeHive(hive);
  const ParsedHive parsed = ParseHive(text);
  EXPECT_EQ(parsed.damage.lines, 0U) << text;
  ASSERT_EQ(parsed.hive.keys.size(), hive.keys.size());
  for (std::size_t k = 0; k < hive.keys.size(); ++k) {
    EXPECT_EQ(parsed.hive.keys[k].path, hive.keys[k].path);
    ASSERT_EQ(parsed.hive.keys[k].values.size(), hive.keys[k].values.size());
    for (std::size_t v = 0; v < hive.keys[k].values.size(); ++v) {
      EXPECT_TRUE(parsed.hive.keys[k].values[v] == hive.keys[k].values[v]) << "value " << v << " of key " << k;
    }
  }
  // Each value stays on one line: the only control character left is the line feed.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 0);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\0'), 0);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + (1 + 12 + 1) + (1 + 1 + 1));
}

TEST(HiveFileTest, WritesTheRegeditFormat) {
  Hive hive;
  hive.keys.push_back(HiveKey{
      "HKEY_CURRENT_USER\\A",
      {Text("", "d"), Text("Path", "C:\\dir \"x\"\n"), RegistryValue{"Zoom", kRegDword, std::string{"\x1e\0\0\0", 4}},
       RegistryValue{"Bin", kRegBinary, "\x01\xAB"}, RegistryValue{"Exp", kRegExpandSz, "ab"},
       Text("Nul", std::string{"a\0", 2})}});
  hive.keys.push_back(HiveKey{"HKEY_CURRENT_USER\\A\\B", {}});
  EXPECT_EQ(SerializeHive(hive),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\A]\n"
            "@=\"d\"\n"
            "\"Path\"=\"C:\\\\dir \\\"x\\\"\\n\"\n"
            "\"Zoom\"=dword:0000001e\n"
            "\"Bin\"=hex:01,ab\n"
            "\"Exp\"=hex(2):61,62\n"
            "\"Nul\"=hex(1):61,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\A\\B]\n"
            "\n");
}

TEST(HiveFileTest, ReadsHandEditedFiles) {
  const ParsedHive parsed = ParseHive(
      "\xEF\xBB\xBF"  // an editor's UTF-8 byte-order mark
      "REGEDIT4\r\n\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Soft]\r\n"
      "\"a\"=\"1\"\r\n"
      "\"bin\"=hex:00,01,\\\r\n"
      "  02,FF\r\n"
      "\"d\"=dword:FFFFFFFF\r\n"
      "[hkey_local_machine\\soft]\r\n"
      "\"a\"=\"2\"\r\n"
      "\"b\"=\"\\x41\\x7f\"");
  EXPECT_EQ(parsed.damage.lines, 0U);
  ASSERT_EQ(parsed.hive.keys.size(), 1U);  // a repeated section adds to the first one
  const HiveKey& key = parsed.hive.keys[0];
  ASSERT_EQ(key.values.size(), 4U);
  EXPECT_TRUE(key.values[0] == Text("a", "2"));  // replaced in place, order kept
  EXPECT_TRUE((key.values[1] == RegistryValue{"bin", kRegBinary, std::string{"\0\x01\x02\xFF", 4}}));
  EXPECT_TRUE((key.values[2] == RegistryValue{"d", kRegDword, "\xFF\xFF\xFF\xFF"}));
  EXPECT_TRUE(key.values[3] == Text("b", "A\x7F"));

  for (const char* empty : {"", "\n\n", "; only a comment\n"}) {
    const ParsedHive nothing = ParseHive(empty);
    EXPECT_TRUE(nothing.hive.keys.empty());
    EXPECT_EQ(nothing.damage.lines, 0U) << empty;
  }
}

// One damaged line must not take the other values with it: a lost "SecAlwaysUse" would let the
// next PDF out unprotected.
TEST(HiveFileTest, DamagedLinesAreSkippedAndEveryReadableValueKept) {
  const std::string head = "REGEDIT4\n\n[K]\n\"a\"=\"1\"\n";  // lines 1-4
  const std::string tail = "\"b\"=\"2\"\n";
  const char* const badLines[] = {
      "[HKEY_LOCAL_MACH",       // section header cut short: line 5, and "b" belongs to no key
      "[]",                     // empty key path: likewise
      "\"a\"=\"unterminated",   // string cut short
      "\"a\"=\"x\"y",           // text after the closing quote
      "\"a\"=\"\\q\"",          // unknown escape
      "\"a\"=\"\\x4\"",         // short hex escape
      "\"a\"",                  // no '='
      "\"\"=\"x\"",             // the default value is "@"
      "\"a\"=dword:123456789",  // too many digits
      "\"a\"=dword:xyz",        //
      "\"a\"=hex:01,",          // trailing comma: a byte is missing
      "\"a\"=hex:1,02",         //
      "\"a\"=hex(zz):01",       //
      "\"a\"=-",                //
      "garbage",                //
      "REGEDIT4",               // a second header
      "\x7F"
      "ELF\x02\x01\x01",  // binary
      "\"a\"=hex:01,\\",  // a hex list continued by no hex digits
  };
  for (const char* bad : badLines) {
    const ParsedHive parsed = ParseHive(head + bad + "\n" + tail);
    EXPECT_EQ(parsed.damage.firstLine, 5U) << bad;
    ASSERT_FALSE(parsed.hive.keys.empty()) << bad;
    const HiveKey& key = parsed.hive.keys[0];
    ASSERT_NE(FindValue(key, "a"), nullptr) << bad;
    EXPECT_EQ(FindValue(key, "a")->data, "1") << bad;
    const bool keyLost = bad[0] == '[';
    EXPECT_EQ(parsed.damage.lines, keyLost ? 2U : 1U) << bad;
    EXPECT_EQ(FindValue(key, "b") == nullptr, keyLost) << bad;
  }

  struct Case {
    std::string text;
    std::size_t damaged;
    std::size_t firstLine;
    std::vector<std::string> values;  // "name=data" in the first key
  };
  const Case cases[] = {
      {head + tail + "\"c\"=\"cut", 1, 6, {"a=1", "b=2"}},                     // the last line cut short
      {head + tail + std::string{"\0", 1}, 1, 6, {"a=1", "b=2"}},              // a trailing NUL
      {head + tail + std::string(512, '\0'), 1, 6, {"a=1", "b=2"}},            // a zero-filled tail
      {"[K]\r\n\"a\"=\"1\"\r\n", 1, 1, {"a=1"}},                               // no header, CR LF
      {head + "\"bin\"=hex:01,\\\n[K]\n\"c\"=\"3\"\n", 1, 5, {"a=1", "c=3"}},  // a hex list cut short
      {std::string{"\xFF\xFER\0E\0G\0", 8}, 1, 1, {}},                         // UTF-16: nothing readable
  };
  for (const Case& c : cases) {
    const ParsedHive parsed = ParseHive(c.text);
    EXPECT_EQ(parsed.damage.lines, c.damaged) << c.text;
    EXPECT_EQ(parsed.damage.firstLine, c.firstLine) << c.text;
    std::vector<std::string> values;
    if (!parsed.hive.keys.empty()) {
      for (const RegistryValue& value : parsed.hive.keys[0].values) {
        values.push_back(value.name + "=" + value.data);
      }
    }
    EXPECT_EQ(values, c.values) << c.text;
    // What was kept is written back whole and reads back without damage.
    EXPECT_EQ(ParseHive(SerializeHive(parsed.hive)).damage.lines, 0U);
  }
}

TEST(HiveFileTest, KeyPathsIgnoreLetterCaseButValueNamesDoNot) {
  Hive hive;
  hive.keys.push_back(HiveKey{"HKEY_LOCAL_MACHINE\\Software\\Vellumor", {Text("Quality", "a"), Text("quality", "b")}});
  ASSERT_NE(hive.FindKey("hkey_local_machine\\SOFTWARE\\vellumor"), nullptr);
  EXPECT_EQ(hive.FindKey("HKEY_LOCAL_MACHINE\\Software"), nullptr);
  // Only ASCII letters fold: "Ü" and "ü" are different key names.
  hive.keys.push_back(HiveKey{"K\xC3\x9C", {}});
  EXPECT_EQ(hive.FindKey("k\xC3\xBC"), nullptr);
  EXPECT_NE(hive.FindKey("k\xC3\x9C"), nullptr);

  HiveKey& key = hive.keys[0];
  EXPECT_EQ(FindValue(key, "quality")->data, "b");
  EXPECT_EQ(FindValue(key, "Quality")->data, "a");
  EXPECT_EQ(FindValue(key, "QUALITY"), nullptr);
}

}  // namespace
}  // namespace vellumor::platform
