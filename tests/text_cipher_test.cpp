// The two operations: key checks, the program-wide buffers, round trips,
// known answers and re-entrancy through the pump.
#include "cipher/text_cipher.h"

#include <gtest/gtest.h>

#include "cipher/base64.h"
#include "cipher/rc4.h"
#include "tests/hex.h"

namespace cipher {
namespace {

constexpr auto kNoPump = [] {};
const Text kNiHao = "\xC4\xE3\xBA\xC3";  // 你好 in GB18030
const Text kMiYao = "\xC3\xDC\xD4\xBF";  // 密钥 in GB18030

Text Plain(const CipherOutcome& outcome) {
  EXPECT_TRUE(std::holds_alternative<Text>(outcome));
  return std::holds_alternative<Text>(outcome) ? std::get<Text>(outcome) : Text();
}

class TextCipherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lastCipherBytes = FromHex("de ad");
    lastDecodedBytes = FromHex("be ef");
  }
  void TearDown() override {
    lastCipherBytes.clear();
    lastDecodedBytes.clear();
  }
};

TEST_F(TextCipherTest, KnownAnswerFromAnIndependentImplementation) {
  EXPECT_EQ(Plain(EncryptText(kNiHao, kMiYao)), "+AUR+g==");
  EXPECT_EQ(Plain(DecryptText(
                "+AUR+g==", [] { return kMiYao; }, kNoPump)),
            kNiHao);
}

TEST_F(TextCipherTest, EmptyKeyIsRefusedAndTouchesNothing) {
  EXPECT_TRUE(std::holds_alternative<KeyMissing>(EncryptText("text", "")));
  EXPECT_TRUE(std::holds_alternative<KeyMissing>(EncryptText("", "")));
  EXPECT_EQ(lastCipherBytes, FromHex("de ad"));

  int reads = 0, pumps = 0;
  const CipherOutcome outcome = DecryptText(
      "QUJD",
      [&] {
        ++reads;
        return Text();
      },
      [&] { ++pumps; });
  EXPECT_TRUE(std::holds_alternative<KeyMissing>(outcome));
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(pumps, 0);

  // The same through the declared hook type.
  const auto countingPump = [&] { ++pumps; };
  const CipherOutcome viaHook = DecryptText(
      "QUJD",
      [&] {
        ++reads;
        return Text();
      },
      PumpPendingEvents(countingPump));
  EXPECT_TRUE(std::holds_alternative<KeyMissing>(viaHook));
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(pumps, 0);

  EXPECT_EQ(lastCipherBytes, FromHex("de ad"));
  EXPECT_EQ(lastDecodedBytes, FromHex("be ef"));
}

TEST_F(TextCipherTest, KeyOfOneSpaceIsAccepted) {
  const Text ciphertext = Plain(EncryptText("abc", " "));
  EXPECT_EQ(ciphertext, Base64Encode(Rc4Transform(TextAsBytes("abc"), "\x20")));
  EXPECT_EQ(Plain(DecryptText(
                ciphertext, [] { return Text(" "); }, kNoPump)),
            "abc");
}

TEST_F(TextCipherTest, EncryptKeepsTheRawCipherBytes) {
  EXPECT_EQ(Plain(EncryptText("", "k")), "");
  EXPECT_TRUE(lastCipherBytes.empty());

  const Text ciphertext = Plain(EncryptText("abcd", "k"));
  EXPECT_EQ(ciphertext.size(), 8u);
  EXPECT_EQ(lastCipherBytes, Rc4Transform(TextAsBytes("abcd"), "k"));
}

TEST_F(TextCipherTest, DecryptKeepsTheDecodedBytesWhateverTheKey) {
  for (const Text& key : {Text("a"), Text(" "), kMiYao}) {
    DecryptText(
        "QUJD", [&] { return key; }, kNoPump);
    EXPECT_EQ(lastDecodedBytes, FromHex("41 42 43")) << key;
  }
  EXPECT_EQ(Plain(DecryptText(
                "", [] { return Text("k"); }, kNoPump)),
            "");
  EXPECT_TRUE(lastDecodedBytes.empty());
}

TEST_F(TextCipherTest, RoundTripsTexts) {
  const Text texts[] = {
      "",
      "a",
      "ab",
      "abc",
      "line one\r\nline two\r\n",
      kNiHao,
      "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA3\xA1",  // 你好，世界！
      "\x95\x32\x82\x36",                                  // a four-byte GB18030 character
      Text(1000, '\xA1'),
  };
  const Text keys[] = {"k", kMiYao, Text(300, 'x'), "\xFF"};
  for (const Text& key : keys) {
    for (const Text& text : texts) {
      const Text ciphertext = Plain(EncryptText(text, key));
      EXPECT_EQ(ciphertext.size(), (text.size() + 2) / 3 * 4);
      EXPECT_EQ(Plain(DecryptText(
                    ciphertext, [&] { return key; }, kNoPump)),
                text);
    }
  }
}

TEST_F(TextCipherTest, DecryptStopsAtTheFirstZeroByte) {
  // Cipher bytes chosen so that deciphering gives "ab", zero, "c".
  const ByteBuffer cipherBytes = Rc4Transform(FromHex("61 62 00 63"), "k");
  EXPECT_EQ(Plain(DecryptText(
                Base64Encode(cipherBytes), [] { return Text("k"); }, kNoPump)),
            "ab");
  EXPECT_EQ(lastDecodedBytes, cipherBytes);
}

TEST_F(TextCipherTest, KeyIsReadAgainAfterDecodingAndMayBeEmptyThen) {
  const ByteBuffer cipherBytes = Rc4Transform(TextAsBytes("hello world"), "");
  int reads = 0;
  const CipherOutcome outcome = DecryptText(
      Base64Encode(cipherBytes), [&] { return ++reads == 1 ? Text("checked") : Text(); }, kNoPump);
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(Plain(outcome), "hello world");
}

TEST_F(TextCipherTest, PumpMayRunBothOperationsInside) {
  const Text outerText(3000, 'o');
  const Text outerCiphertext = Plain(EncryptText(outerText, "outer"));
  const Text nestedCiphertext = Plain(EncryptText("nested", "outer"));

  int pumps = 0;
  Text nestedResult, nestedEncryption;
  const CipherOutcome outcome = DecryptText(
      outerCiphertext, [] { return Text("outer"); },
      [&] {
        if (++pumps != 1) return;
        nestedResult = Plain(DecryptText(
            nestedCiphertext, [] { return Text("outer"); }, kNoPump));
        nestedEncryption = Plain(EncryptText("inside", "k"));
      });

  EXPECT_EQ(Plain(outcome), outerText);
  EXPECT_EQ(pumps, static_cast<int>(outerCiphertext.size() / 4));
  EXPECT_EQ(nestedResult, "nested");
  // The outer decode replaced the nested one's bytes when it ended.
  EXPECT_EQ(lastDecodedBytes, Rc4Transform(TextAsBytes(outerText), "outer"));
  EXPECT_EQ(lastCipherBytes, Rc4Transform(TextAsBytes("inside"), "k"));
  EXPECT_EQ(Plain(DecryptText(
                nestedEncryption, [] { return Text("k"); }, kNoPump)),
            "inside");
}

}  // namespace
}  // namespace cipher
