// The two operations behind the Encrypt and Decrypt buttons.
#pragma once

#include <concepts>
#include <type_traits>
#include <variant>

#include "cipher/base64.h"
#include "cipher/types.h"

namespace cipher {

// The outcome of either operation for a key of zero bytes.
struct KeyMissing {};
using CipherOutcome = std::variant<Text, KeyMissing>;

inline constexpr std::string_view KeyMissingTitle = "加密/解密密钥不能为空！";
inline constexpr std::string_view KeyMissingMessage = "没有输入密钥，不能进行加密/解密操作！";

// RC4 under the key, then padded Base64. Keeps the raw cipher bytes in
// lastCipherBytes; an empty key returns KeyMissing and touches nothing.
CipherOutcome EncryptText(const Text& plaintext, const Text& key);

// Lenient Base64, then RC4 under the key as it stands once decoding is done;
// the result ends before the first zero byte. readKey is called once for the
// empty-key check and, unless that fails, once more after decoding. pump()
// runs after every decoded group and may run either operation again.
CipherOutcome DecryptText(const Text& ciphertext, KeyReader readKey, PumpPendingEvents pump);

namespace text_cipher_detail {
// Everything after decoding: reads the key again, keeps the decoded bytes in
// lastDecodedBytes and deciphers them.
CipherOutcome FinishDecrypt(ByteBuffer decoded, KeyReader readKey);
}  // namespace text_cipher_detail

// The same operation for a pump passed as any callable: the decoder then
// calls it directly, so a pump that does nothing costs nothing.
template <std::invocable Pump>
requires(!std::same_as<std::remove_cvref_t<Pump>, PumpPendingEvents>) CipherOutcome
    DecryptText(const Text& ciphertext, KeyReader readKey, Pump&& pump) {
  if (readKey().empty()) return KeyMissing{};
  return text_cipher_detail::FinishDecrypt(Base64DecodeLenient(ciphertext, pump), readKey);
}

// The raw bytes of the last encryption and of the last decode.
extern ByteBuffer lastCipherBytes;
extern ByteBuffer lastDecodedBytes;

}  // namespace cipher
