// The two operations behind the Encrypt and Decrypt buttons.
#pragma once

#include <string_view>
#include <variant>

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
// empty-key check and, unless that fails, once more after decoding. The pump
// hears of every decoded group and may run either operation again.
CipherOutcome DecryptText(const Text& ciphertext, KeyReader readKey, PumpPendingEvents pump);

// The raw bytes of the last encryption and of the last decode.
extern ByteBuffer lastCipherBytes;
extern ByteBuffer lastDecodedBytes;

}  // namespace cipher
