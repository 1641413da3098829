// The text rules both front ends share: line breaks, NULs, the tool's code
// page with "€" as 0x80, and the lenient reading of broken bytes.
#include <gtest/gtest.h>

#include <string>

#include "textcodec/gb18030.h"
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

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
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

// Every character but the line breaks and NUL survives the round trip, so no
// character is ever lost (a C library with other GB18030 tables fails here).
TEST(ToolBytes, EveryCharacterComesBackUnchanged) {
  std::string utf8;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029) {
      continue;
    }
    AppendUtf8(utf8, c);
  }
  const auto bytes = Utf8ToToolBytes(utf8);
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(ToolBytesToUtf8(*bytes) == utf8);  // too long to print
}

// A long text is converted a piece at a time: wherever a line break, a NUL
// between CR and LF, a character or a broken byte falls near a piece's end,
// the bytes are those of the whole text converted at once.
TEST(ToolBytes, LongTextsConvertAsAWhole) {
  using std::literals::operator""sv;
  const std::string_view awkward[] = {"\r\n"sv, "\r\0\n"sv,     "\r\0\0\r"sv, "\u2028"sv,  "€"sv,
                                      "你"sv,   "\U0001F600"sv, "\xE4\xBD"sv, "\x80\x80"sv};
  for (std::size_t size : {std::size_t{1} << 16, std::size_t{3} << 16}) {
    for (const std::string_view piece : awkward) {
      for (std::size_t at = size - 6; at <= size + 2; ++at) {
        std::string text(at, 'a');
        (text += piece) += "b\n";
        std::string whole = text;
        std::erase(whole, '\0');
        const auto bytes = Utf8ToToolBytes(text);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(*bytes == *Utf8ToGb18030(LineBreaksToCrLf(whole), "\x80"))
            << ::testing::PrintToString(piece) << " at " << at;
      }
    }
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
