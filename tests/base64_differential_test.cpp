// The fast encoder, cleaner and decoder against a plain transcription of
// their rules, on many random texts biased to what matters to the decoder
// (alphabet, "=", spaces, CR, LF, tab, A1 A1, bytes of 0x80 and up) and at
// lengths around group, vector and block boundaries. Every kernel set the
// CPU runs is forced in turn, so the vector paths and the plain path are
// both checked.
#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

#include "cipher/base64.h"
#include "cipher/base64_cleaning.h"
#include "cipher/base64_kernels.h"
#include "tests/hex.h"
#include "tests/plain_rules.h"
#include "tests/random_bytes.h"

namespace cipher {
namespace {

using namespace plain;

using base64_detail::KernelSet;

// ---- Inputs -------------------------------------------------------------

// Mostly alphabet, with every kind of byte the decoder treats specially.
char BiasedByte(std::mt19937& random) {
  const unsigned pick = random() % 100;
  if (pick < 70) return Base64Alphabet[random() % 64];
  if (pick < 75) return '=';
  if (pick < 79) return ' ';
  if (pick < 83) return '\r';
  if (pick < 87) return '\n';
  if (pick < 89) return '\t';
  if (pick < 93) return '\xA1';
  if (pick < 99) return static_cast<char>(0x80 + random() % 0x80);
  return static_cast<char>(1 + random() % 0x7F);
}

Text RandomText(std::mt19937& random, std::size_t length) {
  Text text(length, 'A');
  for (char& c : text) c = BiasedByte(random);
  return text;
}

// A real ciphertext with a few defects dropped in at random places, so the
// fast runs end, and start again, at every kind of offset.
Text DamagedCiphertext(std::mt19937& random, std::size_t payload) {
  Text text = Base64Encode(RandomBytes(random, payload));
  const std::size_t defects = random() % 4;
  for (std::size_t d = 0; d < defects && !text.empty(); ++d) {
    const std::size_t at = random() % (text.size() + 1);
    switch (random() % 4) {
      case 0:
        text.insert(at, 1, BiasedByte(random));
        break;
      case 1:
        text.insert(at, "\r\n");
        break;
      case 2:
        text.insert(at, "\xA1\xA1");
        break;
      default:
        if (at < text.size()) text[at] = BiasedByte(random);
    }
  }
  return text;
}

// Lengths around groups (4), vectors (32, 64) and decoder blocks (4096).
std::vector<std::size_t> BoundaryLengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 140; ++n) lengths.push_back(n);
  for (std::size_t base : {192u, 256u, 4096u, 8192u}) {
    for (std::size_t n = base - 5; n <= base + 5; ++n) lengths.push_back(n);
  }
  return lengths;
}

// Runs body once with each kernel set this CPU runs, then goes back to the set before.
template <class Body>
void ForEachKernelSet(Body body) {
  for (KernelSet set : base64_detail::kEveryKernelSet) {
    const base64_detail::ScopedKernels kernels(set);
    if (!kernels.Runs()) continue;
    SCOPED_TRACE(set == KernelSet::kPlain ? "plain kernels" : "AVX2 kernels");
    body();
  }
}

void ExpectDecodesLikeTheRules(const Text& text) {
  const PlainDecoded expected = PlainDecode(text);
  std::size_t pumps = 0;
  const ByteBuffer bytes = Base64DecodeLenient(text, [&] { ++pumps; });
  ASSERT_EQ(ToHex(bytes), ToHex(expected.bytes)) << "input " << ToHex(TextAsBytes(text));
  ASSERT_EQ(pumps, expected.pumps) << "input " << ToHex(TextAsBytes(text));
}

// ---- Tests ----------------------------------------------------------------

TEST(Base64Differential, PlainDecoderReproducesTheDefectTable) {
  // The reference itself, on rows whose results are worked out by hand.
  EXPECT_EQ(ToHex(PlainDecode("QUJD=").bytes), "4142");
  EXPECT_EQ(ToHex(PlainDecode("QU\r\r\n\nJD").bytes),
            "41434024"
            "3000");
  EXPECT_EQ(ToHex(PlainDecode("QUJD\x81\r\nQUJD").bytes),
            "414243054243"
            "5090c0");
  EXPECT_EQ(PlainDecode("").pumps, 0u);
}

TEST(Base64Differential, RandomTextsDecodeLikeTheRules) {
  ForEachKernelSet([] {
    std::mt19937 random(20240611);
    for (std::size_t length : BoundaryLengths()) {
      for (int round = 0; round < 12; ++round)
        ExpectDecodesLikeTheRules(RandomText(random, length));
    }
    for (int round = 0; round < 3000; ++round) {
      ExpectDecodesLikeTheRules(RandomText(random, random() % 300));
    }
  });
}

TEST(Base64Differential, DamagedCiphertextsDecodeLikeTheRules) {
  ForEachKernelSet([] {
    std::mt19937 random(77);
    for (std::size_t payload : BoundaryLengths()) {
      for (int round = 0; round < 6; ++round) {
        ExpectDecodesLikeTheRules(DamagedCiphertext(random, payload));
      }
    }
    for (int round = 0; round < 40; ++round) {
      ExpectDecodesLikeTheRules(DamagedCiphertext(random, 3000 + random() % 10000));
    }
  });
}

// Long texts are cleaned in pieces of some kilobytes: CR, spaces and LF
// that straddle where a piece would end, and bytes of 0x80 and up in a later piece.
TEST(Base64Differential, DefectsAtPieceBoundariesDecodeLikeTheRules) {
  const std::string_view snippets[] = {"\r\n", "\r  \n",   " \r \r\n\n",   "\r",
                                       "   ",  "\xB0\xA1", "\xA1\xA1\r\n", "\t="};
  ForEachKernelSet([&] {
    std::mt19937 random(8);
    const Text encoded = Base64Encode(RandomBytes(random, 40000));
    for (std::size_t boundary : {std::size_t{16384}, std::size_t{32768}}) {
      for (std::size_t at = boundary - 6; at <= boundary + 6; ++at) {
        for (std::string_view snippet : snippets) {
          Text text = " " + encoded;  // the leading space sends it all to the cleaner
          text.insert(at, snippet);
          ExpectDecodesLikeTheRules(text);
        }
      }
    }
  });
}

TEST(Base64Differential, WrappedCiphertextsDecodeToTheirBytes) {
  ForEachKernelSet([] {
    std::mt19937 random(5);
    for (std::size_t payload : {0u, 1u, 57u, 58u, 3071u, 3072u, 3073u, 100000u}) {
      const ByteBuffer bytes = RandomBytes(random, payload);
      const Text encoded = Base64Encode(bytes);
      for (std::size_t width : {4u, 64u, 76u, 77u}) {
        Text wrapped;
        for (std::size_t i = 0; i < encoded.size(); i += width) {
          wrapped += encoded.substr(i, width) + (width == 77 ? " \r \n" : "\r\n");
        }
        std::size_t pumps = 0;
        EXPECT_EQ(Base64DecodeLenient(wrapped, [&] { ++pumps; }), bytes) << payload << "/" << width;
        EXPECT_EQ(pumps, encoded.size() / 4);
      }
    }
  });
}

TEST(Base64Differential, CleanerMatchesTheTwoPasses) {
  ForEachKernelSet([] {
    std::mt19937 random(99);
    for (int round = 0; round < 4000; ++round) {
      const Text text = RandomText(random, random() % 120);
      EXPECT_EQ(base64_detail::CleanForDecoding(text), PlainRemoveCrLf(PlainRemoveSpaces(text)))
          << ToHex(TextAsBytes(text));
      EXPECT_EQ(RemoveAllSpaces(text), PlainRemoveSpaces(text));
      EXPECT_EQ(RemoveAllCrLf(text), PlainRemoveCrLf(text));
    }
    // Single-byte texts only: the fast cleaner's own path, spaces around CRs.
    const char pieces[] = {' ', '\r', '\n', 'Q', '='};
    for (int round = 0; round < 4000; ++round) {
      Text text(random() % 60, ' ');
      for (char& c : text) c = pieces[random() % 5];
      EXPECT_EQ(base64_detail::CleanForDecoding(text), PlainRemoveCrLf(PlainRemoveSpaces(text)))
          << ToHex(TextAsBytes(text));
    }
  });
}

TEST(Base64Differential, EncoderMatchesTheRules) {
  ForEachKernelSet([] {
    std::mt19937 random(3);
    std::vector<std::size_t> lengths = BoundaryLengths();
    for (std::size_t n = 6144 - 4; n <= 6144 + 4; ++n) lengths.push_back(n);  // encoder steps
    for (std::size_t n : {100000u, 1000001u}) lengths.push_back(n);
    for (std::size_t length : lengths) {
      const ByteBuffer bytes = RandomBytes(random, length);
      ASSERT_EQ(Base64Encode(bytes), PlainEncode(bytes)) << "length " << length;
    }
  });
}

// Where the decoder's scan must stop: the first byte that needs cleaning.
std::size_t FirstByteToClean(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\r' || c >= 0x80) return i;
  }
  return text.size();
}

// Each kernel against the plain one, byte for byte, including what the
// decode kernel leaves when it stops inside a vector; the scan against
// where it must stop.
TEST(Base64Differential, KernelsAgreeWithThePlainKernels) {
  const auto& plain = base64_detail::kPlainKernels;
  ForEachKernelSet([&] {
    const auto& active = base64_detail::ActiveKernels();
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
      const std::size_t groups = random() % 40;
      Text text = Base64Encode(RandomBytes(random, groups * 3));
      if (!text.empty() && random() % 2) text[random() % text.size()] = BiasedByte(random);
      if (!text.empty() && random() % 4 == 0) text[random() % text.size()] = '\0';

      ByteBuffer expected(groups * 3 + base64_detail::kDecodeOverrun);
      ByteBuffer got(expected.size());
      const std::size_t expectedGroups = plain.decode(text.data(), groups, expected.data());
      ASSERT_EQ(active.decode(text.data(), groups, got.data()), expectedGroups) << text;
      expected.resize(expectedGroups * 3);
      got.resize(expectedGroups * 3);
      ASSERT_EQ(got, expected) << text;
      ASSERT_EQ(active.scan(text.data(), text.size()), FirstByteToClean(text));
    }
    // Every byte value in every position of a vector's worth of groups.
    Text clean = Base64Encode(RandomBytes(random, 48));
    for (std::size_t at = 0; at < clean.size(); ++at) {
      for (int byte = 0; byte < 256; ++byte) {
        Text text = clean;
        text[at] = static_cast<char>(byte);
        ByteBuffer a(48 + base64_detail::kDecodeOverrun), b(a.size());
        const std::size_t groups = plain.decode(text.data(), 16, a.data());
        ASSERT_EQ(active.decode(text.data(), 16, b.data()), groups) << at << " " << byte;
        ASSERT_EQ(ByteBuffer(a.begin(), a.begin() + 3 * groups),
                  ByteBuffer(b.begin(), b.begin() + 3 * groups));
        ASSERT_EQ(active.scan(text.data(), text.size()), FirstByteToClean(text));
      }
    }
  });
}

TEST(Base64Differential, EveryKernelSetTheCpuRunsIsTried) {
  EXPECT_TRUE(base64_detail::CpuRuns(KernelSet::kPlain));
  if (!base64_detail::CpuRuns(KernelSet::kAvx2)) GTEST_SKIP() << "no AVX2 on this CPU";
  EXPECT_EQ(base64_detail::ActiveKernelSet(), KernelSet::kAvx2);  // the default is the best
}

}  // namespace
}  // namespace cipher
