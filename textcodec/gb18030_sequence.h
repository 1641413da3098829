// How GB18030 bytes fall into sequences, and where the four-byte forms sit
// in GB18030's linear order. Both GB18030 paths cut the bytes this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace textcodec {

// U+FFFD, which stands for each byte of broken UTF-8.
inline constexpr std::string_view kGb18030ReplacementCharacter = "\x84\x31\xA4\x37";
inline constexpr char32_t kEuroSignCodePoint = U'€';

// A byte of the text as the value the rules below compare.
inline std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
  return static_cast<std::uint8_t>(bytes[i]);
}

inline bool IsGb18030Lead(std::uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
inline bool IsGb18030Digit(std::uint8_t b) {
  return b >= 0x30 && b <= 0x39;
}
inline bool IsGb18030TwoByteTrail(std::uint8_t b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

struct Gb18030Sequence {
  std::size_t length;
  bool wellFormed;
};

// The sequence that starts at `at`, cut the way the Encoding Standard's
// gb18030 decoder cuts it: a broken sequence never takes an ASCII byte with
// it, and one cut off by the end of the input is its lead byte alone.
inline Gb18030Sequence Gb18030SequenceAt(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return ByteAt(bytes, at + i); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return {1, true};
  const std::size_t left = bytes.size() - at;
  if (!IsGb18030Lead(lead) || left < 2) return {1, false};
  const std::uint8_t second = byte(1);
  if (IsGb18030Digit(second)) {
    if (left >= 4 && IsGb18030Lead(byte(2)) && IsGb18030Digit(byte(3))) return {4, true};
    return {1, false};
  }
  if (IsGb18030TwoByteTrail(second)) return {2, true};
  return {second < 0x80 ? std::size_t{1} : std::size_t{2}, false};
}

// Four-byte forms count up from 81 30 81 30 in steps of the last byte
// (ten digits), the third (126 leads), the second and the first. The
// characters of the Basic Multilingual Plane that have no two-byte form
// take the first kFourByteBmpForms in order; U+10000 to U+10FFFF take the
// forms from kFirstSupplementaryForm on, one after the other.
inline constexpr std::uint32_t kFourByteBmpForms = 39420;         // up to 84 31 A4 39
inline constexpr std::uint32_t kFirstSupplementaryForm = 189000;  // 90 30 81 30

inline std::uint32_t FourByteFormIndex(std::string_view form) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(form[i] & 0xFF); };
  return (((byte(0) - 0x81) * 10 + (byte(1) - 0x30)) * 126 + (byte(2) - 0x81)) * 10 +
         (byte(3) - 0x30);
}

// Writes the four-byte form with the given index to `out`.
inline void WriteFourByteForm(std::uint32_t index, char* out) {
  out[0] = static_cast<char>(0x81 + index / 12600);
  out[1] = static_cast<char>(0x30 + index / 1260 % 10);
  out[2] = static_cast<char>(0x81 + index / 10 % 126);
  out[3] = static_cast<char>(0x30 + index % 10);
}

}  // namespace textcodec
