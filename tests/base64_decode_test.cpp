// The lenient decoder: its behaviour on defective input as one table, and
// round trips of the encoder's output through the defects people paste in.
#include <gtest/gtest.h>

#include "cipher/base64.h"
#include "tests/hex.h"

namespace cipher {
namespace {

constexpr auto kNoPump = [] {};

struct DecodeRow {
  std::string_view input;
  std::string_view resultHex;
};

constexpr DecodeRow kLenientRows[] = {
    {"", ""},
    {"QQ==", "41"},
    {"QUI=", "41 42"},
    {"QUJD", "41 42 43"},
    {"QQ", "41 00 00"},  // past the end reads as A
    {"QUI", "41 42 00"},
    {"QUJ", "41 42 40"},
    {"Q", "40 00 00"},
    {"QUJD=", "41 42"},  // the cut reaches into group 1
    {"Q Q = =", "41"},
    {"QU\r\nJD", "41 42 43"},               // CR LF removed
    {"QU\r \nJD", "41 42 43"},              // CR space LF becomes a pair
    {"QU\r\r\n\nJD", "41 43 40 24 30 00"},  // one pass: CR LF is left
    {"QUJ\nD", "41 42 4A 0C 00 00"},        // a lone LF stops its group
    {"QUJD\tQUJD", "41 42 43 25 42 43 0C 00 00"},
    {"QQ==QUJD", "41 0F 40 41 42 43"},  // only the last stop cuts
    {"QUJDQQ==", "41 42 43 41"},
    {"=QUJ", ""},
    {"Q=QQ", ""},
    {"QUJD\xA1\xA1QUJD", "41 42 43 41 42 43"},           // full-width space
    {"QUJD\xB0", "41 42 43"},                            // a lone byte of 0x80 and up at the end
    {"QUJD\xB0\xA1", "41 42"},                           // a two-byte character stays
    {"\xB0\xA1\xA1\xB0", ""},                            // A1 A1 across units stays
    {"QUJD\x81\r\nQUJD", "41 42 43 05 42 43 50 90 C0"},  // CR as trail byte
    {"qujd", "AA E8 DD"},                                // case matters
    {"////", "FF FF FF"},
};

TEST(Base64DecodeLenient, DefectTable) {
  for (const DecodeRow& row : kLenientRows) {
    const Text input(row.input);
    EXPECT_EQ(ToHex(Base64DecodeLenient(input, kNoPump)), ToHex(FromHex(row.resultHex)))
        << "input " << ToHex(TextAsBytes(input));
  }
}

TEST(Base64DecodeLenient, CleanersWalkCharacterUnits) {
  const std::pair<std::string_view, std::string_view> spaces[] = {
      {"20 41 A1 A1 42 20", "41 42"},
      {"B0 A1 A1 B0", "B0 A1 A1 B0"},  // A1 A1 straddles two units
      {"41 B0", "41"},                 // a lone byte of 0x80 and up at the end is dropped
      {"A1 20 41", "A1 20 41"},        // the space is a trail byte here
      {"09 0D 0A", "09 0D 0A"},
  };
  for (const auto& [in, out] : spaces) {
    EXPECT_EQ(ToHex(TextAsBytes(RemoveAllSpaces(BytesAsText(FromHex(in))))), ToHex(FromHex(out)))
        << in;
  }
  const std::pair<std::string_view, std::string_view> crlf[] = {
      {"0D 0A 41 0D 0A", "41"}, {"0D 0D 0A 0A", "0D 0A"},  // one pass
      {"81 0D 0A", "81 0D 0A"},                            // CR is a trail byte
      {"0D 0A 0D", "0D"},       {"41 B0", "41 B0"},  // a last byte of 0x80 and up is copied here
  };
  for (const auto& [in, out] : crlf) {
    EXPECT_EQ(ToHex(TextAsBytes(RemoveAllCrLf(BytesAsText(FromHex(in))))), ToHex(FromHex(out)))
        << in;
  }
}

TEST(Base64DecodeLenient, PumpsOncePerGroupAfterItsBytes) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},
      {" \r\n \xA1\xA1", 0},
      {"Q", 1},
      {"QUJD", 1},
      {"QUJD=", 2},
      {"QU\r\nJDQUJD QQ", 3},
      {"\t\t\t\t\t\t\t\t\t", 3},
  };
  for (const auto& [input, expectedPumps] : cases) {
    std::size_t pumps = 0;
    const ByteBuffer out = Base64DecodeLenient(Text(input), [&] { ++pumps; });
    EXPECT_EQ(pumps, expectedPumps) << input;
    EXPECT_LE(out.size(), 3 * expectedPumps) << input;
  }
}

// A pump that takes a block's calls at once must see the same number of
// calls, and the bytes must not change.
TEST(Base64DecodeLenient, BulkPumpSeesEveryGroup) {
  ByteBuffer bytes(50000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
  const Text encoded = Base64Encode(bytes);
  for (const Text& input : {encoded, "QQ==" + encoded, encoded + "\tQUJD", encoded.substr(7)}) {
    std::size_t single = 0, bulk = 0;
    const ByteBuffer expected = Base64DecodeLenient(input, [&] { ++single; });
    EXPECT_EQ(Base64DecodeLenient(input, [&](std::size_t groups) { bulk += groups; }), expected);
    EXPECT_EQ(bulk, single);
    EXPECT_EQ(bulk, (input.size() + 3) / 4);
  }
}

std::size_t groupsHeardOf = 0;
void HearOfOneGroup() {
  ++groupsHeardOf;
}
void HearOfGroups(std::size_t groups) {
  EXPECT_GT(groups, 0u);
  groupsHeardOf += groups;
}

// Plain functions serve as pumps too, as the window passes its own.
TEST(Base64DecodeLenient, FunctionsServeAsPumps) {
  const Text input = Base64Encode(ByteBuffer(10000, 0x5A)) + "\tQU\r\nJD QQ";
  const std::size_t groups = (RemoveAllCrLf(RemoveAllSpaces(input)).size() + 3) / 4;
  const ByteBuffer expected = Base64DecodeLenient(input, kNoPump);
  for (const PumpPendingEvents pump :
       {PumpPendingEvents(HearOfOneGroup), PumpPendingEvents(HearOfGroups)}) {
    groupsHeardOf = 0;
    EXPECT_EQ(Base64DecodeLenient(input, pump), expected);
    EXPECT_EQ(groupsHeardOf, groups);
  }
}

// The encoder's output with the defects mail clients and people add.
Text WithSpacesEverywhere(const Text& encoded) {
  Text out;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    out += encoded[i];
    if (i % 3 == 0) out += ' ';
    if (i % 5 == 1) out += "\xA1\xA1";
  }
  return out;
}

Text WithCrLfEvery76(const Text& encoded) {
  Text out;
  for (std::size_t i = 0; i < encoded.size(); i += 76) out += encoded.substr(i, 76) + "\r\n";
  return out;
}

TEST(Base64DecodeLenient, RoundTripsTheEncoderThroughPastingDefects) {
  std::vector<std::size_t> lengths = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 100000};
  for (std::size_t length : lengths) {
    ByteBuffer bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    const Text encoded = Base64Encode(bytes);
    for (const Text& pasted : {encoded, WithSpacesEverywhere(encoded), WithCrLfEvery76(encoded)}) {
      std::size_t pumps = 0;
      EXPECT_EQ(Base64DecodeLenient(pasted, [&] { ++pumps; }), bytes) << "length " << length;
      EXPECT_EQ(pumps, encoded.size() / 4);
    }
  }
}

TEST(Base64DecodeLenient, NestedDecodesKeepTheirOwnState) {
  const Text outer = "QQ==QUJD" + Base64Encode(ByteBuffer(30, 0xEE));
  int depth = 0;
  std::vector<ByteBuffer> nestedResults;
  const ByteBuffer result = Base64DecodeLenient(outer, [&] {
    if (depth++ == 0) nestedResults.push_back(Base64DecodeLenient(Text("QUI="), kNoPump));
  });
  ByteBuffer expected = FromHex("41 0F 40 41 42 43");
  expected.insert(expected.end(), 30, 0xEE);
  EXPECT_EQ(result, expected);
  ASSERT_EQ(nestedResults.size(), 1u);
  EXPECT_EQ(nestedResults[0], FromHex("41 42"));
}

}  // namespace
}  // namespace cipher
