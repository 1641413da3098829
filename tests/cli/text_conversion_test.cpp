// The edge between locale text and the tool's bytes: strict conversion with
// the place of the first bad byte, zero bytes refused, locale text back.
#include <gtest/gtest.h>

#include "cli/codeset_conversion.h"
#include "cli/text_mode.h"

namespace cli {
namespace {

cipher::Text Bytes(const ToolBytes& result) {
  EXPECT_TRUE(std::holds_alternative<cipher::Text>(result));
  return std::holds_alternative<cipher::Text>(result) ? std::get<cipher::Text>(result) : "";
}

TEST(LocaleText, Utf8BecomesGb18030WithCrLf) {
  EXPECT_EQ(Bytes(LocaleTextToToolBytes("你好，世界！\n第二行", "UTF-8")),
            "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA3\xA1\r\n\xB5\xDA\xB6\xFE\xD0\xD0");
  // Characters outside code page 936 keep their four-byte GB18030 form.
  EXPECT_EQ(Bytes(LocaleTextToToolBytes("😀é", "UTF-8")), "\x94\x39\xFC\x36\xA8\xA6");
  EXPECT_EQ(Bytes(LocaleTextToToolBytes("", "UTF-8")), "");
  // A locale in code page 936 already holds the tool's bytes.
  EXPECT_EQ(Bytes(LocaleTextToToolBytes("\xC4\xE3\n", "GBK")), "\xC4\xE3\r\n");
}

TEST(LocaleText, BadInputIsRefusedWithItsPlace) {
  struct Case {
    std::string input;
    InputProblem::Kind kind;
    std::size_t offset;
  };
  const Case cases[] = {
      {"ab\xFF", InputProblem::Kind::kNotInCodeset, 2},
      {"你\xE4\xBD", InputProblem::Kind::kNotInCodeset, 3},    // cut-off character
      {"\xED\xA0\x80", InputProblem::Kind::kNotInCodeset, 0},  // a lone surrogate
      // Forms the C library's decoder takes although no Unicode character has them.
      {"a\xF4\x90\x80\x80", InputProblem::Kind::kNotInCodeset, 1},  // past U+10FFFF
      {"\xF7\x9F\x98\x80", InputProblem::Kind::kNotInCodeset, 0},
      {"ab\xF8\x88\x80\x80\x80", InputProblem::Kind::kNotInCodeset, 2},  // five bytes
      {"\xE0\x9F\xBF", InputProblem::Kind::kNotInCodeset, 0},            // overlong
      {"\xF4\x8F\xBF\xBF\xC1\xBF", InputProblem::Kind::kNotInCodeset, 4},
      {std::string("a\0b", 3), InputProblem::Kind::kZeroByte, 1},
  };
  for (const auto& c : cases) {
    const ToolBytes result = LocaleTextToToolBytes(c.input, "UTF-8");
    ASSERT_TRUE(std::holds_alternative<InputProblem>(result)) << c.input;
    EXPECT_EQ(std::get<InputProblem>(result).kind, c.kind) << c.input;
    EXPECT_EQ(std::get<InputProblem>(result).offset, c.offset) << c.input;
  }
  const ToolBytes unknown = LocaleTextToToolBytes("a", "NO-SUCH-CODESET");
  ASSERT_TRUE(std::holds_alternative<InputProblem>(unknown));
  EXPECT_EQ(std::get<InputProblem>(unknown).kind, InputProblem::Kind::kUnsupportedCodeset);
}

TEST(LocaleText, RawBytesPassExceptZero) {
  EXPECT_EQ(Bytes(RawToolBytes("\x80\xFF\n")), "\x80\xFF\n");
  const ToolBytes zero = RawToolBytes(std::string("\x80\0", 2));
  ASSERT_TRUE(std::holds_alternative<InputProblem>(zero));
  EXPECT_EQ(std::get<InputProblem>(zero).offset, 1u);
}

TEST(LocaleText, ToolBytesBecomeLocaleTextWithLf) {
  const LocaleText utf8 = ToolBytesToLocaleText("\xC4\xE3\r\n\x80\r\xFF", "UTF-8");
  ASSERT_TRUE(std::holds_alternative<std::string>(utf8));
  EXPECT_EQ(std::get<std::string>(utf8), "你\n€\r\uFFFD");

  const LocaleText gbk = ToolBytesToLocaleText("\xC4\xE3\r\n", "GBK");
  ASSERT_TRUE(std::holds_alternative<std::string>(gbk));
  EXPECT_EQ(std::get<std::string>(gbk), "\xC4\xE3\n");

  // A character the locale cannot show is an error, never a silent "?".
  const LocaleText latin = ToolBytesToLocaleText("\xC4\xE3", "ISO-8859-1");
  ASSERT_TRUE(std::holds_alternative<OutputProblem>(latin));
  EXPECT_EQ(std::get<OutputProblem>(latin).kind, OutputProblem::Kind::kNotRepresentable);
}

TEST(LocaleText, MessagesFallBackToUtf8WhereTheLocaleCannotShowThem) {
  EXPECT_EQ(Utf8ToLocaleForDisplay("密钥", "UTF-8"), "密钥");
  EXPECT_EQ(Utf8ToLocaleForDisplay("密钥", "GB18030"), "\xC3\xDC\xD4\xBF");
  EXPECT_EQ(Utf8ToLocaleForDisplay("密钥", "ISO-8859-1"), "密钥");
  EXPECT_TRUE(IsUtf8Codeset("utf8"));
  EXPECT_FALSE(IsUtf8Codeset("GB18030"));
}

}  // namespace
}  // namespace cli
