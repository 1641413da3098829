// The unrolled RC4 against a plain transcription of the cipher, at lengths
// around its 8-byte steps and its output steps, for keys of every kind of
// length; and both ways of passing the decrypt pump against each other.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "cipher/rc4.h"
#include "cipher/text_cipher.h"
#include "tests/hex.h"
#include "tests/plain_rules.h"

namespace cipher {
namespace {

using namespace plain;

ByteBuffer RandomBytes(std::mt19937& random, std::size_t length) {
  ByteBuffer bytes(length);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

TEST(Rc4Differential, MatchesThePlainCipher) {
  std::mt19937 random(1);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 70; ++n) lengths.push_back(n);
  for (std::size_t n = 16384 - 9; n <= 16384 + 9; ++n) lengths.push_back(n);
  lengths.push_back(100003);
  for (std::size_t keyLength : {0u, 1u, 2u, 5u, 16u, 255u, 256u, 257u, 300u}) {
    Text key(keyLength, ' ');
    for (char& c : key) c = static_cast<char>(1 + random() % 255);
    for (std::size_t length : lengths) {
      const ByteBuffer input = RandomBytes(random, length);
      ASSERT_EQ(ToHex(Rc4Transform(input, key)), ToHex(PlainRc4(input, key)))
          << "key length " << keyLength << ", input length " << length;
    }
  }
}

TEST(Rc4Differential, DecryptGivesTheSameThroughEitherPump) {
  std::mt19937 random(2);
  for (int round = 0; round < 200; ++round) {
    Text ciphertext(random() % 200, 'A');
    for (char& c : ciphertext) c = "QUJD=+/ \r\n\t\xA1\xB0"[random() % 13];
    const Text key = round % 5 == 0 ? Text("\xC3\xDC") : Text("k");
    std::size_t directPumps = 0, referencePumps = 0;
    const CipherOutcome direct = DecryptText(
        ciphertext, [&] { return key; }, [&] { ++directPumps; });
    const ByteBuffer directBytes = lastDecodedBytes;
    const auto countReference = [&] { ++referencePumps; };
    const CipherOutcome byReference = DecryptText(
        ciphertext, [&] { return key; }, PumpPendingEvents(countReference));
    ASSERT_TRUE(std::holds_alternative<Text>(direct) && std::holds_alternative<Text>(byReference));
    EXPECT_EQ(std::get<Text>(direct), std::get<Text>(byReference));
    EXPECT_EQ(directPumps, referencePumps);
    EXPECT_EQ(lastDecodedBytes, directBytes);
  }
  lastDecodedBytes.clear();
}

}  // namespace
}  // namespace cipher
