// Reading and decoding in pieces gives exactly what the whole text gives,
// wherever the pieces fall.
#include <gtest/gtest.h>

#include <random>

#include "cipher/base64.h"
#include "cli/codeset_conversion.h"
#include "cli/piecewise_decoder.h"
#include "cli/text_mode.h"
#include "cli/text_pieces.h"

namespace cli {
namespace {

cipher::ByteBuffer DecodedInPieces(const std::string& text, std::size_t holdBytes,
                                   std::mt19937& random) {
  PiecewiseDecoder decoder(holdBytes);
  cipher::ByteBuffer out;
  std::uniform_int_distribution<std::size_t> pieceSize(0, 3 * holdBytes);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t size = std::min(pieceSize(random), text.size() - at);
    decoder.Add(std::string_view(text).substr(at, size), out);
    at += size;
  }
  decoder.Finish(out);
  return out;
}

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

std::string Wrapped(std::string_view text, std::size_t width, std::string_view lineBreak) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); at += width) {
    out += std::string(text.substr(at, width)) + std::string(lineBreak);
  }
  return out;
}

TEST(PiecewiseDecoder, GivesTheWholeTextsBytesWhereverThePiecesFall) {
  std::mt19937 random(7);
  std::string ciphertext;
  for (int i = 0; i < 3000; ++i) ciphertext += cipher::Base64Alphabet[random() % 64];
  const std::string cases[] = {
      ciphertext + "==",
      Wrapped(ciphertext, 76, "\r\n"),
      Wrapped(ciphertext, 7, " "),
      Wrapped(ciphertext, 5, "\n"),  // lone LFs break groups; the slots carry on
      Wrapped(ciphertext, 11, "\xA1\xA1"),
      Wrapped(ciphertext, 13, "\r \n"),
      Wrapped(ciphertext, 17, "\r\r\n\n"),
      Wrapped(ciphertext, 19, "\x81\r\n"),  // a unit of lead byte and CR, then an LF
      Wrapped(ciphertext, 23, "=Q\t"),
      // Nothing to cut at: held whole, still decoded the same.
      Repeat("Q=\xB0\xA1", 2000),
      ciphertext + "\xB0",  // a lead byte left alone at the very end
      "",
      "QUJD",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, 40));
    const cipher::ByteBuffer whole = cipher::Base64DecodeLenient(text, [] {});
    for (std::size_t holdBytes : {1u, 16u, 100u, 4096u}) {
      EXPECT_EQ(DecodedInPieces(text, holdBytes, random), whole) << holdBytes;
    }
  }
}

TEST(PiecewiseDecoder, RandomTextsOfDecoderBytes) {
  // The bytes the decoder's rules turn on, mixed with long alphabet runs.
  const std::string_view special[] = {" ",        "\r",   "\n",       "\r\n", "=",
                                      "\xA1\xA1", "\x81", "\xB0\xA1", "\t",   "\xFF"};
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int parts = static_cast<int>(random() % 60);
    for (int p = 0; p < parts; ++p) {
      if (random() % 2 == 0) {
        text += special[random() % std::size(special)];
      } else {
        const std::size_t run = random() % 40;
        for (std::size_t i = 0; i < run; ++i) text += cipher::Base64Alphabet[random() % 64];
      }
    }
    const cipher::ByteBuffer whole = cipher::Base64DecodeLenient(text, [] {});
    ASSERT_EQ(DecodedInPieces(text, 1 + random() % 32, random), whole) << text;
  }
}

// Cuts `bytes` at safe places found in windows of random size and converts
// each piece on its own.
template <class Convert>
std::string ConvertedInPieces(std::string_view bytes, bool utf8, std::mt19937& random,
                              Convert convert) {
  std::string out;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t window = std::min<std::size_t>(1 + random() % 24, bytes.size() - at);
    std::size_t cut = window == bytes.size() - at ? window : 0;
    if (cut == 0) cut = LastSafeCut(bytes.substr(at, window), 0, utf8);
    if (cut == 0) cut = bytes.size() - at;
    out += convert(bytes.substr(at, cut));
    at += cut;
  }
  return out;
}

std::string ToolBytesOf(std::string_view text, const std::string& codeset) {
  ToolBytes bytes = LocaleTextToToolBytes(text, codeset);
  return std::holds_alternative<cipher::Text>(bytes) ? std::get<cipher::Text>(bytes) : "<bad>";
}

std::string Utf8Of(std::string_view bytes) {
  LocaleText text = ToolBytesToLocaleText(cipher::Text(bytes), "UTF-8");
  return std::holds_alternative<std::string>(text) ? std::get<std::string>(text) : "<bad>";
}

TEST(TextPieces, PiecesConvertAsTheWholeDoes) {
  const std::string_view units[] = {"a",      "你", "😀", "\r", "\n", "\r\n",
                                    "\u2028", " ",  "+", "1",  "é",  "\u3000"};
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::string utf8;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) {
      utf8 += units[random() % std::size(units)];
    }
    SCOPED_TRACE(utf8);
    // The text in the locale's encoding to the tool's bytes.
    const std::string gb = ConvertStrict(utf8, "UTF-8", "GB18030").bytes;
    EXPECT_EQ(ConvertedInPieces(utf8, true, random,
                                [](std::string_view p) { return ToolBytesOf(p, "UTF-8"); }),
              ToolBytesOf(utf8, "UTF-8"));
    EXPECT_EQ(ConvertedInPieces(gb, false, random,
                                [](std::string_view p) { return ToolBytesOf(p, "GB18030"); }),
              ToolBytesOf(gb, "GB18030"));
    // The tool's bytes back, and bytes that are no GB18030 at all.
    const std::string tool = ToolBytesOf(utf8, "UTF-8");
    EXPECT_EQ(ConvertedInPieces(tool, false, random, Utf8Of), Utf8Of(tool));
    std::string noise;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) {
      noise += static_cast<char>(1 + random() % 255);
    }
    EXPECT_EQ(ConvertedInPieces(noise, false, random, Utf8Of), Utf8Of(noise));
  }
}

}  // namespace
}  // namespace cli
