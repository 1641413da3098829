#include "cipher/text_cipher.h"

#include <cstring>
#include <utility>

#include "cipher/base64.h"
#include "cipher/rc4_stream.h"

namespace cipher {

ByteBuffer lastCipherBytes;
ByteBuffer lastDecodedBytes;

CipherOutcome EncryptText(const Text& plaintext, const Text& key) {
  if (key.empty()) return KeyMissing{};
  ByteBuffer cipherBytes;
  rc4_detail::Rc4Into(reinterpret_cast<const std::uint8_t*>(plaintext.data()), plaintext.size(),
                      key, cipherBytes);
  lastCipherBytes = std::move(cipherBytes);
  return Base64Encode(lastCipherBytes);
}

CipherOutcome DecryptText(const Text& ciphertext, KeyReader readKey, PumpPendingEvents pump) {
  if (readKey().empty()) return KeyMissing{};
  ByteBuffer decoded = Base64DecodeLenient(ciphertext, pump);
  const Text key = readKey();  // may differ from the checked key, or be empty
  // Nothing runs between storing the decoded bytes and deciphering them, so
  // a nested operation can never swap the buffer out from under us.
  lastDecodedBytes = std::move(decoded);
  Text plain;
  rc4_detail::Rc4Into(lastDecodedBytes.data(), lastDecodedBytes.size(), key, plain);
  // The plaintext ends before its first zero byte.
  if (const void* zero = std::memchr(plain.data(), 0, plain.size())) {
    plain.resize(static_cast<std::size_t>(static_cast<const char*>(zero) - plain.data()));
  }
  return plain;
}

}  // namespace cipher
