// The code page's tables against the converter path they are made from:
// every character and every sequence alone, then random texts and random
// bytes (broken UTF-8, broken GB18030, sequences cut off by the end), with
// "€" as A2 E3 and as 0x80 and a lone 0x80 read both ways. The two paths
// must agree byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "textcodec/gb18030.h"
#include "textcodec/gb18030_converter.h"
#include "textcodec/utf8.h"

namespace textcodec {
namespace {

const std::array<std::string_view, 2> kEuroSignForms = {kGb18030EuroSign, "\x80"};
const std::array<std::string_view, 2> kLoneByte80Readings = {kReplacementCharacter, "€"};

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string Utf8Of(char32_t c) {
  std::string s;
  AppendUtf8(s, c);
  return s;
}

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Both paths encode `utf8` alike; on a difference, names the input.
::testing::AssertionResult EncodesAlike(std::string_view utf8, std::string_view euroSignBytes) {
  const std::optional<std::string> table = Utf8ToGb18030(utf8, euroSignBytes);
  const std::optional<std::string> converter = Utf8ToGb18030ThroughConverter(utf8, euroSignBytes);
  if (!table || !converter) return ::testing::AssertionFailure() << "no GB18030 converter";
  if (*table == *converter) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "encoding " << Hex(utf8) << " (\"€\" as " << Hex(euroSignBytes) << "): tables "
         << Hex(*table) << ", converter " << Hex(*converter);
}

::testing::AssertionResult DecodesAlike(std::string_view bytes, std::string_view loneByte80) {
  const std::string table = Gb18030ToUtf8(bytes, loneByte80);
  const std::string converter = Gb18030ToUtf8ThroughConverter(bytes, loneByte80);
  if (table == converter) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "decoding " << Hex(bytes) << " (lone 0x80 as " << Hex(loneByte80) << "): tables "
         << Hex(table) << ", converter " << Hex(converter);
}

TEST(Gb18030Tables, EveryCharacterEncodesAsTheConverterWritesIt) {
  for (const std::string_view euro : kEuroSignForms) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
      if (IsSurrogate(c)) continue;
      ASSERT_TRUE(EncodesAlike(Utf8Of(c), euro));
    }
  }
}

TEST(Gb18030Tables, EveryOneAndTwoByteSequenceDecodesAsTheConverterReadsIt) {
  for (const std::string_view lone80 : kLoneByte80Readings) {
    for (int a = 0; a < 256; ++a) {
      ASSERT_TRUE(DecodesAlike(std::string{static_cast<char>(a)}, lone80));
      for (int b = 0; b < 256; ++b) {
        ASSERT_TRUE(DecodesAlike(std::string{static_cast<char>(a), static_cast<char>(b)}, lone80));
      }
    }
  }
}

// Well-formed ones in every region (mapped in the Basic Multilingual Plane,
// between it and U+10000, the supplementary planes, past U+10FFFF), and
// every one with a byte off its range, or cut off by the end, beside a
// sample of first bytes.
TEST(Gb18030Tables, EveryFourByteSequenceDecodesAsTheConverterReadsIt) {
  const auto form = [](int a, int b, int c, int d) {
    return std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                       static_cast<char>(d)};
  };
  for (int a = 0x81; a <= 0xFE; ++a)
    for (int b = 0x30; b <= 0x39; ++b)
      for (int c = 0x81; c <= 0xFE; ++c)
        for (int d = 0x30; d <= 0x39; ++d) ASSERT_TRUE(DecodesAlike(form(a, b, c, d), "\uFFFD"));
  const int someFirsts[] = {0x80, 0x81, 0x84, 0x85, 0x8F, 0x90, 0xE3, 0xE4, 0xFE, 0xFF};
  for (const int a : someFirsts)
    for (int b = 0; b < 256; ++b)
      for (int c = 0; c < 256; ++c) {
        ASSERT_TRUE(DecodesAlike(form(a, b, c, 0x30), "€"));
        ASSERT_TRUE(DecodesAlike(form(a, 0x30, b, c), "€"));
        ASSERT_TRUE(DecodesAlike(
            std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)}, "€"));
      }
}

// The characters a text is drawn from, in proportions that bring every
// branch of both paths up often: our own mappings and "€" among ordinary
// Chinese text, line breaks, and ASCII runs long enough for the converter
// path to copy them.
char32_t RandomCharacter(std::mt19937& random) {
  static constexpr char32_t kSpecial[] = {U'€',   0x9FB4, 0x9FBB, 0xE78D,  0xE796,   0xE816,
                                          0xE864, 0xFE10, 0xFE19, 0xFEFF,  0x20087,  0x241FE,
                                          0xFFFD, 0xFFFF, 0xE5E5, 0x10000, 0x10FFFF, 0x00A4,
                                          0x00B7, 0x2014, 0x3000, 0xFF01,  0xFFE5,   0x80};
  switch (random() % 8) {
    case 0:
      return 0x20 + random() % 0x5F;
    case 1:
      return kSpecial[random() % std::size(kSpecial)];
    case 2: {
      char32_t c = random() % 0x10000;
      return IsSurrogate(c) ? c - 0x800 : c;
    }
    case 3:
      return 0x10000 + random() % 0x100000;
    case 4:
      return "\r\n\t 0"[random() % 5];
    default:
      return 0x4E00 + random() % (0x9FFF - 0x4E00);
  }
}

std::string RandomText(std::mt19937& random) {
  std::string text;
  const std::size_t length = random() % 200;
  for (std::size_t i = 0; i < length; ++i) {
    if (random() % 50 == 0) {
      text.append(64 + random() % 40, static_cast<char>('a' + random() % 26));
    } else {
      AppendUtf8(text, RandomCharacter(random));
    }
  }
  return text;
}

// A text broken in every way UTF-8 can break: bytes replaced by lead,
// continuation and never-valid bytes, pieces cut out of characters, an end
// in the middle of one.
std::string BrokenUtf8(std::mt19937& random) {
  static constexpr std::uint8_t kBreakers[] = {0x80, 0x82, 0xAC, 0xBF, 0xC0, 0xC1, 0xC2,
                                               0xDF, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4,
                                               0xF5, 0xF8, 0xFC, 0xFE, 0xFF, 0x41};
  std::string text = RandomText(random);
  const std::size_t breaks = 1 + random() % 6;
  for (std::size_t i = 0; i < breaks && !text.empty(); ++i) {
    const std::size_t at = random() % text.size();
    switch (random() % 3) {
      case 0:
        text[at] = static_cast<char>(kBreakers[random() % std::size(kBreakers)]);
        break;
      case 1:
        text.erase(at, 1 + random() % 3);
        break;
      default:
        text.insert(at, 1, static_cast<char>(kBreakers[random() % std::size(kBreakers)]));
    }
  }
  if (!text.empty() && random() % 2 == 0) text.resize(text.size() - 1 - random() % 3 % text.size());
  return text;
}

// Bytes as a wrong key leaves them, and bytes near GB18030's edges: any
// byte, lead and trail bytes, digits, 0x80, 0xFF, whole sequences of our own
// mappings and of every region, and ends in the middle of a sequence.
std::string RandomGb18030Bytes(std::mt19937& random) {
  static constexpr std::string_view kPieces[] = {"\x80",
                                                 "\xFF",
                                                 "\x81",
                                                 "\xFE",
                                                 "\x30",
                                                 "\x39",
                                                 "\x7F",
                                                 "\x40",
                                                 "\xA1",
                                                 "\n",
                                                 "\xA2\xE3",
                                                 "\xA6\xD9",
                                                 "\xFE\x51",
                                                 "\xFE\xA0",
                                                 "\x81\x80",
                                                 "\xC4\xE3",
                                                 "\x81\x30\x81\x30",
                                                 "\x82\x35\x90\x37",
                                                 "\x84\x31\x95\x33",
                                                 "\x84\x31\xA4\x39",
                                                 "\x84\x31\xA5\x30",
                                                 "\x90\x30\x81\x30",
                                                 "\x95\x32\x90\x31",
                                                 "\xE3\x32\x9A\x35",
                                                 "\xE3\x32\x9A\x36",
                                                 "\xFE\x39\xFE\x39"};
  std::string bytes;
  const std::size_t length = random() % 120;
  while (bytes.size() < length) {
    switch (random() % 4) {
      case 0:
        bytes += static_cast<char>(random());
        break;
      case 1:
        bytes += kPieces[random() % std::size(kPieces)];
        break;
      case 2:
        bytes.append(64 + random() % 10, 'x');
        break;
      default:
        bytes += static_cast<char>(0x81 + random() % 0x7E);
        bytes += static_cast<char>(random() % 2 ? 0x30 + random() % 10 : 0x40 + random() % 0xBF);
    }
  }
  return bytes;
}

TEST(Gb18030Tables, RandomTextsEncodeAlike) {
  std::mt19937 random(18030);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomText(random);
    for (const std::string_view euro : kEuroSignForms) ASSERT_TRUE(EncodesAlike(text, euro));
  }
}

TEST(Gb18030Tables, BrokenUtf8EncodesAlike) {
  std::mt19937 random(936);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = BrokenUtf8(random);
    for (const std::string_view euro : kEuroSignForms) ASSERT_TRUE(EncodesAlike(text, euro));
  }
  for (int i = 0; i < 20000; ++i) {
    std::string bytes(random() % 24, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    ASSERT_TRUE(EncodesAlike(bytes, "\x80"));
  }
}

TEST(Gb18030Tables, RandomBytesDecodeAlike) {
  std::mt19937 random(2005);
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = RandomGb18030Bytes(random);
    for (const std::string_view lone80 : kLoneByte80Readings) {
      ASSERT_TRUE(DecodesAlike(bytes, lone80));
    }
  }
  for (int i = 0; i < 5000; ++i) {
    std::string text = RandomText(random);
    const std::string bytes = *Utf8ToGb18030(text, "\x80");
    ASSERT_TRUE(DecodesAlike(bytes, "€"));
    ASSERT_TRUE(DecodesAlike(bytes.substr(0, bytes.size() - bytes.size() / 3), "€"));
  }
}

// A malformed form is never read as a character, not even an overlong form
// of "€" or of a character of our own mappings: each of its bytes becomes
// U+FFFD, as everywhere else.
TEST(Gb18030Tables, MalformedUtf8IsOneReplacementPerByte) {
  const std::string_view replacement = "\x84\x31\xA4\x37";
  const auto replacements = [&](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += replacement;
    return s;
  };
  struct Case {
    std::string_view utf8;
    std::string bytes;
  };
  const Case cases[] = {
      {"\xF0\x82\x82\xAC", replacements(4)},      // "€", overlong
      {"\xF0\x89\xBE\xB4", replacements(4)},      // U+9FB4, overlong
      {"\xE0\x80\xC1", replacements(3)},          // overlong ASCII, cut
      {"\xED\xA0\x80", replacements(3)},          // a surrogate
      {"\xF4\x90\x80\x80", replacements(4)},      // past U+10FFFF
      {"\xF8\x88\x80\x80\x80", replacements(5)},  // five bytes
      {"\xE2\x82", replacements(2)},              // "€" cut off by the end
      {"\xE2\x82"
       "A\xAC",
       replacements(2) + "A" + replacements(1)},
  };
  for (const Case& c : cases) {
    for (const std::string_view euro : kEuroSignForms) {
      EXPECT_EQ(Hex(*Utf8ToGb18030(c.utf8, euro)), Hex(c.bytes)) << Hex(c.utf8);
      EXPECT_EQ(Hex(*Utf8ToGb18030ThroughConverter(c.utf8, euro)), Hex(c.bytes)) << Hex(c.utf8);
    }
  }
}

}  // namespace
}  // namespace textcodec
