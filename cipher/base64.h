// Standard padded Base64 out; a decoder in that never refuses input and
// turns any text into bytes by fixed rules.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <string_view>

#include "cipher/types.h"

namespace cipher {

inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Padded with "=", no line breaks; 4 characters per started group of 3 bytes.
Text Base64Encode(const ByteBuffer& bytes);

// Both cleaners walk the text in character units: a byte of 0x80 or more
// forms a unit with the byte after it, so a trail byte is never matched alone.
//
// Drops spaces, full-width spaces (A1 A1) and a lead byte left alone at the end.
Text RemoveAllSpaces(const Text& text);
// Drops every CR LF pair in one pass; pairs formed by a removal stay.
Text RemoveAllCrLf(const Text& text);

namespace base64_detail {

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

// The decoder's working state for one call. The slots are never reset
// between groups: a group that stops early leaves the later slots holding
// whatever an earlier group put there.
struct LenientState {
  std::array<std::uint8_t, 4> slots{};
  int stopSlot = 0;  // 1-based slot the last group stopped at; 5 when it ran through
};

// Decodes the group that starts at `at` and appends its three bytes.
inline void DecodeGroup(std::string_view cleaned, std::size_t at, LenientState& state,
                        ByteBuffer& out) {
  int k = 1;
  for (; k <= 4; ++k) {
    const std::size_t position = at + static_cast<std::size_t>(k - 1);
    const auto c = position < cleaned.size() ? static_cast<std::uint8_t>(cleaned[position])
                                             : std::uint8_t{0};
    const std::int16_t value = kDecodeValue[c];
    if (value == kNotInAlphabet) {
      state.slots[k - 1] = c;  // the raw byte stands in for a value
      break;
    }
    state.slots[k - 1] = static_cast<std::uint8_t>(value);
  }
  state.stopSlot = k;
  const unsigned s1 = state.slots[0], s2 = state.slots[1], s3 = state.slots[2],
                 s4 = state.slots[3];
  out.push_back(static_cast<std::uint8_t>((s1 << 2) | (s2 >> 4)));
  out.push_back(static_cast<std::uint8_t>((s2 << 4) | (s3 >> 2)));
  out.push_back(static_cast<std::uint8_t>((s3 << 6) | s4));
}

// Only the last group's stop decides how much comes off the end; with no
// group at all the stop slot is still 0 and the cut is 5 bytes.
inline void ApplyFinalCut(const LenientState& state, ByteBuffer& out) {
  if (state.stopSlot >= 5) return;
  const auto cut = static_cast<std::size_t>(5 - state.stopSlot);
  out.resize(out.size() - std::min(cut, out.size()));
}

}  // namespace base64_detail

// Cleans the text, then decodes it in groups of four, calling pump() once
// after each group's bytes are appended. The text must stay alive and
// unchanged for the whole call; pump() may run anything else, this decoder
// included, since all working state lives in this call.
template <std::invocable Pump>
ByteBuffer Base64DecodeLenient(const Text& text, Pump&& pump) {
  const Text cleaned = RemoveAllCrLf(RemoveAllSpaces(text));
  const std::size_t groups = (cleaned.size() + 3) / 4;

  base64_detail::LenientState state;
  ByteBuffer result;
  result.reserve(groups * 3);
  for (std::size_t g = 0; g < groups; ++g) {
    base64_detail::DecodeGroup(cleaned, g * 4, state, result);
    pump();
  }
  base64_detail::ApplyFinalCut(state, result);
  return result;
}

}  // namespace cipher
