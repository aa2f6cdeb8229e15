#include "platform/HiveFile.h"

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
  const std::optional<Hive> parsed = ParseHive(text);
  ASSERT_TRUE(parsed.has_value()) << text;
  ASSERT_EQ(parsed->keys.size(), hive.keys.size());
  for (std::size_t k = 0; k < hive.keys.size(); ++k) {
    EXPECT_EQ(parsed->keys[k].path, hive.keys[k].path);
    ASSERT_EQ(parsed->keys[k].values.size(), hive.keys[k].values.size());
    for (std::size_t v = 0; v < hive.keys[k].values.size(); ++v) {
      EXPECT_TRUE(parsed->keys[k].values[v] == hive.keys[k].values[v]) << "value " << v << " of key " << k;
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
  const std::optional<Hive> hive = ParseHive(
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
  ASSERT_TRUE(hive.has_value());
  ASSERT_EQ(hive->keys.size(), 1U);  // a repeated section adds to the first one
  const HiveKey& key = hive->keys[0];
  ASSERT_EQ(key.values.size(), 4U);
  EXPECT_TRUE(key.values[0] == Text("a", "2"));  // replaced in place, order kept
  EXPECT_TRUE((key.values[1] == RegistryValue{"bin", kRegBinary, std::string{"\0\x01\x02\xFF", 4}}));
  EXPECT_TRUE((key.values[2] == RegistryValue{"d", kRegDword, "\xFF\xFF\xFF\xFF"}));
  EXPECT_TRUE(key.values[3] == Text("b", "A\x7F"));

  const std::optional<Hive> empty = ParseHive("");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->keys.empty());
}

TEST(HiveFileTest, RefusesTextItCannotReadBackWithoutLoss) {
  const std::string binary{
      "\x7F"
      "ELF\x02\x01\x01\0\0\0",
      10};
  const char* const damaged[] = {
      "REGEDIT5\n",
      "\n\n",
      "[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"1\"\n",    // no header line
      "REGEDIT4\n\n[HKEY_LOCAL_MACH",              // section header cut short
      "REGEDIT4\n\n[]\n",                          // empty key path
      "REGEDIT4\n\n\"a\"=\"1\"\n",                 // value outside any key
      "REGEDIT4\n\n[K]\n\"a\"=\"unterminated\n",   // string cut short
      "REGEDIT4\n\n[K]\n\"a\"=\"x\"y\n",           // text after the closing quote
      "REGEDIT4\n\n[K]\n\"a\"=\"\\q\"\n",          // unknown escape
      "REGEDIT4\n\n[K]\n\"a\"=\"\\x4\"\n",         // short hex escape
      "REGEDIT4\n\n[K]\n\"a\"\n",                  // no '='
      "REGEDIT4\n\n[K]\n\"\"=\"x\"\n",             // the default value is "@"
      "REGEDIT4\n\n[K]\n\"a\"=dword:123456789\n",  // too many digits
      "REGEDIT4\n\n[K]\n\"a\"=dword:xyz\n",
      "REGEDIT4\n\n[K]\n\"a\"=hex:01,\n",  // trailing comma: a byte is missing
      "REGEDIT4\n\n[K]\n\"a\"=hex:1,02\n",
      "REGEDIT4\n\n[K]\n\"a\"=hex(zz):01\n",
      "REGEDIT4\n\n[K]\n\"a\"=-\n",
      "REGEDIT4\n\n[K]\ngarbage\n",
  };
  for (const char* text : damaged) {
    EXPECT_FALSE(ParseHive(text).has_value()) << text;
  }
  EXPECT_FALSE(ParseHive(binary).has_value());
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
