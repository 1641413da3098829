// Well-formed UTF-8, one character at a time: the only forms both GB18030
// paths take as characters. Overlong forms, surrogates and forms past
// U+10FFFF are not characters; the C library's converter refuses them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace textcodec {

struct Utf8Character {
  char32_t codePoint;
  std::size_t length;
};

// The character that starts at `at`, if a well-formed one does.
inline std::optional<Utf8Character> Utf8CharacterAt(std::string_view utf8, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(utf8[at + i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return Utf8Character{lead, 1};
  // The lead byte fixes the length and the range of the second byte, which
  // is what rules out overlong forms, surrogates and forms past U+10FFFF.
  std::size_t length = 0;
  std::uint8_t secondLow = 0x80;
  std::uint8_t secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return std::nullopt;
  }
  if (utf8.size() - at < length || byte(1) < secondLow || byte(1) > secondHigh) {
    return std::nullopt;
  }
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  return Utf8Character{c, length};
}

// Writes a Unicode scalar value's UTF-8 form to `out`, which has room for
// four bytes; returns how many it wrote.
inline std::size_t WriteUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

inline void AppendUtf8(std::string& out, char32_t c) {
  char bytes[4];
  out.append(bytes, WriteUtf8(c, bytes));
}

}  // namespace textcodec
