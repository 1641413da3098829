// The unrolled RC4 against a plain transcription of the cipher, at lengths
// around its 8-byte steps and its output steps, for keys of every kind of
// length.
#include <gtest/gtest.h>

#include <random>

#include "cipher/rc4.h"
#include "tests/hex.h"
#include "tests/plain_rules.h"
#include "tests/random_bytes.h"

namespace cipher {
namespace {

using namespace plain;

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

}  // namespace
}  // namespace cipher
