#include <gtest/gtest.h>

#include "cipher/base64.h"
#include "tests/hex.h"

namespace cipher {
namespace {

TEST(Base64Encode, Rfc4648Vectors) {
  const std::pair<std::string_view, std::string_view> vectors[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(Base64Encode(TextAsBytes(plain)), encoded) << plain;
  }
}

TEST(Base64Encode, ZeroBytesEncodeLikeAnyOther) {
  EXPECT_EQ(Base64Encode(ByteBuffer(3, 0)), "AAAA");
  EXPECT_EQ(Base64Encode(ByteBuffer(1, 0)), "AA==");
  EXPECT_EQ(Base64Encode(FromHex("00 ff 00 ff")), "AP8A/w==");
}

TEST(Base64Encode, EveryByteValueAndNoLineBreaks) {
  ByteBuffer all;
  for (int round = 0; round < 4; ++round)
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  const Text out = Base64Encode(all);
  EXPECT_EQ(out.size(), (all.size() + 2) / 3 * 4);
  EXPECT_EQ(out.find_first_not_of(std::string(Base64Alphabet) + "="), Text::npos);
  EXPECT_EQ(out.substr(0, 8), "AAECAwQF");
  EXPECT_EQ(out.substr(out.size() - 4), "/w==");
}

TEST(Base64Encode, LeavesTheCallersBufferAlone) {
  const ByteBuffer original = FromHex("01 02 03 04");
  ByteBuffer bytes = original;
  const std::size_t capacity = bytes.capacity();
  EXPECT_EQ(Base64Encode(bytes), "AQIDBA==");
  EXPECT_EQ(bytes, original);
  EXPECT_EQ(bytes.capacity(), capacity);
}

}  // namespace
}  // namespace cipher
