// The lenient decoder's rules that more than one path needs: what makes a
// character unit, which bytes make cleaning necessary, and each byte's value.
// The portable and the vector kernels, the cleaners and the decoder all take
// them from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cipher/base64.h"

namespace cipher::base64_detail {

// A byte of 0x80 and up starts a two-byte unit with the byte after it.
constexpr bool IsHighByte(char c) {
  return static_cast<std::uint8_t>(c) >= 0x80;
}

// Bytes in the unit that starts at `at`: two for a byte of 0x80 and up with
// a byte after it, one otherwise.
constexpr std::size_t UnitLength(std::string_view text, std::size_t at) {
  return IsHighByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

// A text without a space, a CR or a byte of 0x80 and up is already clean:
// nothing else is ever removed, and without bytes of 0x80 and up every byte
// is a unit of its own. The scan kernels look for exactly these bytes.
inline constexpr char kSpace = ' ';
inline constexpr char kCarriageReturn = '\r';
constexpr bool NeedsCleaning(char c) {
  return c == kSpace || c == kCarriageReturn || IsHighByte(c);
}

inline constexpr std::int16_t kNotInAlphabet = -1;

// Value of each byte for the decoder: its alphabet position, 0 for the zero
// byte that stands for positions past the end, kNotInAlphabet otherwise.
inline constexpr std::array<std::int16_t, 256> kDecodeValue = [] {
  std::array<std::int16_t, 256> table{};
  table.fill(kNotInAlphabet);
  table[0] = 0;
  for (std::size_t v = 0; v < Base64Alphabet.size(); ++v) {
    table[static_cast<std::uint8_t>(Base64Alphabet[v])] = static_cast<std::int16_t>(v);
  }
  return table;
}();

constexpr bool InAlphabet(char c) {
  return c != '\0' && kDecodeValue[static_cast<std::uint8_t>(c)] != kNotInAlphabet;
}

}  // namespace cipher::base64_detail
