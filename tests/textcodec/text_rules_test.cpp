// The text rules both front ends share: line breaks, NULs, the tool's code
// page with "€" as 0x80, and the lenient reading of broken bytes.
#include <gtest/gtest.h>

#include <string>

#include "textcodec/line_breaks.h"
#include "textcodec/tool_text.h"

namespace textcodec {
namespace {

struct LineBreakCase {
  std::string lf;
  std::string crlf;
};

TEST(LineBreaks, LfBecomesCrLfAndBack) {
  const LineBreakCase cases[] = {
      {"", ""}, {"a", "a"}, {"a\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"}, {"end\n", "end\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LineBreaksToCrLf(c.lf), c.crlf) << c.lf;
    EXPECT_EQ(CrLfToLf(c.crlf), c.lf) << c.lf;
  }
}

TEST(LineBreaks, EveryKindOfLineBreakBecomesOneCrLf) {
  EXPECT_EQ(LineBreaksToCrLf("a\r\nb\nc"), "a\r\nb\r\nc");  // never doubled
  EXPECT_EQ(LineBreaksToCrLf("a\rb\r"), "a\r\nb\r\n");
  EXPECT_EQ(LineBreaksToCrLf("\r\r\n\n\r"), "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(LineBreaksToCrLf("行\u2028段\u2029"), "行\r\n段\r\n");
  EXPECT_EQ(CrLfToLf("a\rb\n\r"), "a\rb\n\r");
  EXPECT_EQ(CrLfToLf("\r\r\n"), "\r\n");
}

struct EncodeCase {
  std::string utf8;
  std::string bytes;
};

TEST(ToolBytes, TextBecomesTheBytesOfCodePage936) {
  const EncodeCase cases[] = {
      {"你好，世界！\n第二行",
       "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA3\xA1\r\n\xB5\xDA\xB6\xFE\xD0\xD0"},
      {"€", "\x80"},
      {"价格：€5\r\n€€", "\xBC\xDB\xB8\xF1\xA3\xBA\x80\x35\r\n\x80\x80"},
      {"😀é", "\x94\x39\xFC\x36\xA8\xA6"},  // four-byte GB18030 beyond code page 936
      {std::string("a\0b\0", 4), "ab"},    // NUL never reaches the cipher
      {"a\xFF", "a\x84\x31\xA4\x37"},      // not UTF-8: U+FFFD
      // Where the C library's tables differ, the bytes stay those ciphertexts
      // were always made with.
      {"\uE78D\uE816\uFE10\u9FB4\U00020087\uFEFF",
       "\xA6\xD9\xFE\x51\x84\x31\x82\x36\x82\x35\x90\x37\x95\x32\x90\x31\x84\x31\x95\x33"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.utf8));
    const auto bytes = Utf8ToToolBytes(c.utf8);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, c.bytes);
  }
}

TEST(ToolBytes, NulIsFoundWhereItIs) {
  EXPECT_EQ(FindNul("abc"), std::nullopt);
  EXPECT_EQ(FindNul(std::string("ab\0c\0", 5)), 2u);
}

struct DecodeCase {
  std::string bytes;
  std::string utf8;
};

TEST(ToolBytes, BytesReadBackAndBrokenOnesBecomeReplacementCharacters) {
  const DecodeCase cases[] = {
      {"\xC4\xE3\xBA\xC3\r\n", "你好\n"},
      {"\x94\x39\xFC\x36", "😀"},
      {"\x80", "€"},
      {"\xA2\xE3", "€"},
      {"\xC4\xE3\x80\xBA\xC3", "你€好"},
      {"\x81\x80", "\u4E90"},  // 0x80 as a trail byte is not "€"
      {"\xA6\xD9\xFE\x51\x84\x31\x82\x36\x82\x35\x90\x37\x95\x32\x90\x31\x84\x31\x95\x33",
       "\uE78D\uE816\uFE10\u9FB4\U00020087\uFEFF"},
      {"\xFF"
       "A",
       "\uFFFD"
       "A"},
      {"A\xC4", "A\uFFFD"},  // lead byte cut off by the end
      {"\x81\x30\x81",
       "\uFFFD"
       "0\uFFFD"},  // four-byte form cut off by the end
      {"\x81\x30\x80",
       "\uFFFD"
       "0€"},
      {"\x81\x7F"
       "B",
       "\uFFFD\x7F"
       "B"},  // an ASCII byte after a lead survives
      {"\x81\x0A", "\uFFFD\n"},
      {"\x81\xFF"
       "C",
       "\uFFFD"
       "C"},  // a bad non-ASCII trail goes with its lead
      {"\x81\x30\xFF\x41",
       "\uFFFD"
       "0\uFFFD"
       "A"},
      {"\x84\x31\xA5\x30", "\uFFFD"},  // well formed, but beyond the last character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToolBytesToUtf8(c.bytes), c.utf8) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace textcodec
