// Hex helpers so test tables read like the byte columns they come from.
#pragma once

#include <string>
#include <string_view>

#include "cipher/types.h"

namespace cipher {

// Reads pairs of hex digits, ignoring spaces: "41 42" or "4142".
inline ByteBuffer FromHex(std::string_view hex) {
  const auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  ByteBuffer out;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    i += 2;
  }
  return out;
}

inline std::string ToHex(const ByteBuffer& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

inline Text BytesAsText(const ByteBuffer& bytes) {
  return Text(bytes.begin(), bytes.end());
}
inline ByteBuffer TextAsBytes(std::string_view text) {
  return ByteBuffer(text.begin(), text.end());
}

}  // namespace cipher
