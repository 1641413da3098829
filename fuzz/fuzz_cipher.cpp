// Any bytes as a pasted ciphertext, and the round trips that must be exact.
// The first byte picks a key length so keys of every length get exercised.
// The decoder, encoder and cipher are also held to plain versions of their
// rules, once with each kernel set the CPU runs.
#include <cstdlib>

#include "cipher/base64.h"
#include "cipher/base64_kernels.h"
#include "cipher/rc4.h"
#include "cipher/text_cipher.h"
#include "tests/plain_rules.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckAgainstThePlainRules(const cipher::Text& text, const cipher::ByteBuffer& bytes) {
  using namespace cipher;
  const plain::PlainDecoded expected = plain::PlainDecode(text);
  const Text expectedEncoding = plain::PlainEncode(bytes);
  for (auto set : base64_detail::kEveryKernelSet) {
    const base64_detail::ScopedKernels kernels(set);
    if (!kernels.Runs()) continue;
    std::size_t pumps = 0;
    Check(Base64DecodeLenient(text, [&] { ++pumps; }) == expected.bytes);
    Check(pumps == expected.pumps);
    Check(Base64Encode(bytes) == expectedEncoding);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cipher;
  const Text raw(reinterpret_cast<const char*>(data), size);

  // Arbitrary text through the lenient decoder: never more than 3 bytes a group.
  Text text = raw;
  for (char& c : text) {
    if (c == '\0') c = ' ';  // a Text never holds a zero byte
  }
  std::size_t pumps = 0;
  const ByteBuffer decoded = Base64DecodeLenient(text, [&] { ++pumps; });
  const std::size_t groups = (RemoveAllCrLf(RemoveAllSpaces(text)).size() + 3) / 4;
  Check(pumps == groups);
  Check(decoded.size() <= 3 * groups);

  // Encoder then decoder gives the bytes back exactly.
  const ByteBuffer bytes(data, data + size);
  Check(Base64DecodeLenient(Base64Encode(bytes), [] {}) == bytes);
  CheckAgainstThePlainRules(text, bytes);

  // Encrypt then decrypt with a key cut from the front of the input.
  const std::size_t keyLength = size == 0 ? 0 : data[0] % 40;
  Text key = text.substr(0, keyLength);
  const Text plaintext = text.substr(key.size());
  if (key.empty()) key = "k";
  const CipherOutcome sealed = EncryptText(plaintext, key);
  Check(std::holds_alternative<Text>(sealed));
  const CipherOutcome opened = DecryptText(
      std::get<Text>(sealed), [&] { return key; }, [] {});
  Check(std::holds_alternative<Text>(opened) && std::get<Text>(opened) == plaintext);
  Check(Rc4Transform(Rc4Transform(bytes, key), key) == bytes);
  Check(Rc4Transform(bytes, key) == plain::PlainRc4(bytes, key));
  return 0;
}
