#include "cipher/text_cipher.h"

#include <algorithm>

#include "cipher/base64.h"
#include "cipher/rc4.h"

namespace cipher {

ByteBuffer lastCipherBytes;
ByteBuffer lastDecodedBytes;

CipherOutcome EncryptText(const Text& plaintext, const Text& key) {
  if (key.empty()) return KeyMissing{};
  const ByteBuffer plainBytes(plaintext.begin(), plaintext.end());
  lastCipherBytes = Rc4Transform(plainBytes, key);
  return Base64Encode(lastCipherBytes);
}

CipherOutcome DecryptText(const Text& ciphertext, KeyReader readKey, PumpPendingEvents pump) {
  if (readKey().empty()) return KeyMissing{};

  ByteBuffer decoded = Base64DecodeLenient(ciphertext, pump);
  const Text key = readKey();  // may differ from the checked key, or be empty
  // Nothing runs between storing the decoded bytes and deciphering them, so
  // a nested operation can never swap the buffer out from under us.
  lastDecodedBytes = std::move(decoded);
  const ByteBuffer plainBytes = Rc4Transform(lastDecodedBytes, key);

  const auto end = std::find(plainBytes.begin(), plainBytes.end(), std::uint8_t{0});
  return Text(plainBytes.begin(), end);
}

}  // namespace cipher
