// Any bytes as a pasted ciphertext, and the round trips that must be exact.
// The first byte picks a key length so keys of every length get exercised.
#include <cstdlib>

#include "cipher/base64.h"
#include "cipher/rc4.h"
#include "cipher/text_cipher.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
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

  // Encrypt then decrypt with a key cut from the front of the input.
  const std::size_t keyLength = size == 0 ? 0 : data[0] % 40;
  Text key = text.substr(0, keyLength);
  const Text plaintext = text.substr(key.size());
  if (key.empty()) key = "k";
  const CipherOutcome sealed = EncryptText(plaintext, key);
  Check(std::holds_alternative<Text>(sealed));
  const CipherOutcome opened = DecryptText(std::get<Text>(sealed), [&] { return key; }, [] {});
  Check(std::holds_alternative<Text>(opened) && std::get<Text>(opened) == plaintext);
  Check(Rc4Transform(Rc4Transform(bytes, key), key) == bytes);
  return 0;
}
