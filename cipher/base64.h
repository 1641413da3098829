// Standard padded Base64 out; a decoder in that never refuses input and
// turns any text into bytes by fixed rules.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <string_view>

#include "cipher/base64_kernels.h"
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
  std::array<std::uint8_t, 4> slotValues{};
  int stopSlot = 0;  // 1-based slot the last group stopped at; 5 when it ran through
};

// The exact rule for one group, whatever it holds: decodes the group that
// starts at `at` and appends its three bytes.
inline void DecodeGroup(std::string_view cleaned, std::size_t at, LenientState& state,
                        ByteBuffer& out) {
  int k = 1;
  for (; k <= 4; ++k) {
    const std::size_t position = at + static_cast<std::size_t>(k - 1);
    const auto c =
        position < cleaned.size() ? static_cast<std::uint8_t>(cleaned[position]) : std::uint8_t{0};
    const std::int16_t value = kDecodeValue[c];
    if (value == kNotInAlphabet) {
      state.slotValues[k - 1] = c;  // the raw byte stands in for a value
      break;
    }
    state.slotValues[k - 1] = static_cast<std::uint8_t>(value);
  }
  state.stopSlot = k;
  const unsigned s1 = state.slotValues[0], s2 = state.slotValues[1], s3 = state.slotValues[2],
                 s4 = state.slotValues[3];
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

// A pump may take a block's calls in one go: AfterGroups(n) stands for n
// calls in a row with nothing in between, which lets a pump that counts its
// calls do so once per block instead of once per group.
template <class Pump>
concept TakesCallsInBulk = requires(Pump& pump, std::size_t calls) {
  pump.AfterGroups(calls);
};

template <class Pump>
inline void PumpTimes(Pump& pump, std::size_t calls) {
  if constexpr (TakesCallsInBulk<Pump>) {
    pump.AfterGroups(calls);
  } else {
    for (std::size_t g = 0; g < calls; ++g) pump();
  }
}

// Groups decoded per kernel call: a few kilobytes, so the output being
// written stays in the first-level cache and the pump calls for a block
// follow its groups closely.
inline constexpr std::size_t kGroupsPerBlock = 1024;

// Decodes the whole groups of alphabet characters from `at` on, block by
// block through the fastest kernel, pumping once per group right after its
// block. Stops at the first group that holds anything else, or at a last
// group cut short by the end, and returns where it stopped. The state is
// left as the exact rule would leave it: a group of four alphabet
// characters fills all four slots and runs through.
template <class Pump>
std::size_t DecodeAlphabetRun(std::string_view source, std::size_t at, LenientState& state,
                              ByteBuffer& out, Pump& pump) {
  std::size_t wholeGroups = (source.size() - at) / 4;
  if (wholeGroups == 0) return at;
  for (std::size_t k = 0; k < 4; ++k) {
    // A group outside the alphabet right away (such as a padded last group)
    // goes straight to the exact rule.
    if (kDecodeValue[static_cast<std::uint8_t>(source[at + k])] == kNotInAlphabet) return at;
  }
  const DecodeKernel decode = ActiveKernels().decode;
  const std::size_t start = at;
  while (wholeGroups > 0) {
    const std::size_t block = std::min(wholeGroups, kGroupsPerBlock);
    const std::size_t written = out.size();
    out.resize(written + block * 3 + kDecodeOverrun);
    const std::size_t decoded = decode(source.data() + at, block, out.data() + written);
    out.resize(written + decoded * 3);
    PumpTimes(pump, decoded);
    at += decoded * 4;
    wholeGroups -= decoded;
    if (decoded < block) break;
  }
  if (at > start) {
    for (std::size_t k = 0; k < 4; ++k) {
      state.slotValues[k] =
          static_cast<std::uint8_t>(kDecodeValue[static_cast<std::uint8_t>(source[at - 4 + k])]);
    }
    state.stopSlot = 5;
  }
  return at;
}

// Every group from `at` to the end: runs of alphabet groups through the
// kernels, anything else through the exact rule.
template <class Pump>
void DecodeRest(std::string_view source, std::size_t at, LenientState& state, ByteBuffer& out,
                Pump& pump) {
  while (at < source.size()) {
    at = DecodeAlphabetRun(source, at, state, out, pump);
    if (at >= source.size()) return;
    DecodeGroup(source, at, state, out);
    pump();
    at += 4;
  }
}

// What RemoveAllCrLf(RemoveAllSpaces(text)) gives, without the copies in
// between; texts without bytes of 0x80 or more take a fast path.
Text CleanForDecoding(std::string_view text);
// The fast path alone, appending to `out`; false (and `out` unfinished) as
// soon as it meets a byte of 0x80 or more.
bool AppendCleanedSingleByteText(std::string_view text, Text& out);

// Text that needs cleaning is cleaned and decoded a piece at a time, so no
// copy of a long text is ever made and what is decoded is still in cache.
inline constexpr std::size_t kCleanPieceBytes = 16 * 1024;

// Cleans and decodes `text` to its end. A piece ends after a byte that is
// neither a space nor a CR, so no CR ... LF pair is split between pieces;
// the characters of a group cut by a piece's end wait for the next piece.
// On the first byte of 0x80 or more, where two-byte units begin to matter,
// the rest from that piece on is cleaned in one go by the two passes.
template <class Pump>
void CleanAndDecode(std::string_view text, LenientState& state, ByteBuffer& out, Pump& pump) {
  Text pending;  // cleaned characters not decoded yet
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = std::min(text.size(), at + kCleanPieceBytes);
    while (end < text.size() && (text[end - 1] == ' ' || text[end - 1] == '\r')) ++end;
    const std::size_t carried = pending.size();
    if (!AppendCleanedSingleByteText(text.substr(at, end - at), pending)) {
      // Every byte before `at` was a unit of its own, so `at` starts a unit.
      pending.resize(carried);
      pending += CleanForDecoding(text.substr(at));
      break;
    }
    at = end;
    if (at == text.size()) break;
    const std::size_t wholeGroups = pending.size() / 4 * 4;
    DecodeRest(std::string_view(pending).substr(0, wholeGroups), 0, state, out, pump);
    pending.erase(0, wholeGroups);
  }
  DecodeRest(pending, 0, state, out, pump);
}

}  // namespace base64_detail

// Cleans the text, then decodes it in groups of four, calling pump() once
// after each group's bytes are appended. The text must stay alive and
// unchanged for the whole call; pump() may run anything else, this decoder
// included, since all working state lives in this call.
template <std::invocable Pump>
ByteBuffer Base64DecodeLenient(const Text& text, Pump&& pump) {
  using namespace base64_detail;
  LenientState state;
  ByteBuffer result;
  // Cleaning only ever shortens the text, so this is the most we append.
  result.reserve((text.size() + 3) / 4 * 3 + kDecodeOverrun);

  // A leading run of alphabet groups has nothing to clean, so it is decoded
  // straight from the caller's text.
  const std::string_view whole = text;
  const std::size_t at = DecodeAlphabetRun(whole, 0, state, result, pump);
  const std::string_view rest = whole.substr(at);
  if (!rest.empty()) {
    // The run ends on a group boundary before any space, CR or lead byte,
    // so cleaning what follows on its own gives the same text as cleaning
    // it all. When there is nothing to clean, no copy is made.
    if (ActiveKernels().scan(rest.data(), rest.size()) < rest.size()) {
      CleanAndDecode(rest, state, result, pump);
    } else {
      DecodeRest(rest, 0, state, result, pump);
    }
  }
  ApplyFinalCut(state, result);
  return result;
}

}  // namespace cipher
