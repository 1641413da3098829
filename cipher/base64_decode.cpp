// The lenient decoder: the exact rule for one group, runs of alphabet groups
// through the fastest kernel, and long texts cleaned a piece at a time.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cipher/base64.h"
#include "cipher/base64_cleaning.h"
#include "cipher/base64_kernels.h"
#include "cipher/base64_rules.h"

namespace cipher {
namespace {

using base64_detail::kDecodeValue;
using base64_detail::kNotInAlphabet;

// The decoder's working state for one call. The slots are never reset
// between groups: a group that stops early leaves the later slots holding
// whatever an earlier group put there.
struct LenientState {
  std::array<std::uint8_t, 4> slotValues{};
  int stopSlot = 0;  // 1-based slot the last group stopped at; 5 when it ran through
};

// The exact rule for one group, whatever it holds: decodes the group that
// starts at `at` and appends its three bytes.
void DecodeGroup(std::string_view cleaned, std::size_t at, LenientState& state, ByteBuffer& out) {
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
void ApplyFinalCut(const LenientState& state, ByteBuffer& out) {
  if (state.stopSlot >= 5) return;
  const auto cut = static_cast<std::size_t>(5 - state.stopSlot);
  out.resize(out.size() - std::min(cut, out.size()));
}

// Groups decoded per kernel call: a few kilobytes, so the output being
// written stays in the first-level cache.
constexpr std::size_t kGroupsPerBlock = 1024;

// Groups whose bytes are appended but that the pump has not heard of yet.
// It hears of them in one call once a block's worth has gathered, and of
// the rest when decoding ends, before the final cut: so a count-taking pump
// costs one call per block, however the groups were decoded, and input is
// still handled every few kilobytes.
class UnreportedGroups {
 public:
  explicit UnreportedGroups(PumpPendingEvents pump) : pump_(pump) {}
  UnreportedGroups(const UnreportedGroups&) = delete;
  UnreportedGroups& operator=(const UnreportedGroups&) = delete;

  void Add(std::size_t groups) {
    count_ += groups;
    if (count_ >= kGroupsPerBlock) Report();
  }
  void Report() {
    if (count_ == 0) return;
    const std::size_t groups = count_;
    count_ = 0;
    pump_.AfterGroups(groups);
  }

 private:
  PumpPendingEvents pump_;
  std::size_t count_ = 0;
};

// Decodes the whole groups of alphabet characters from `at` on, block by
// block through the fastest kernel. Stops at the first group that holds
// anything else, or at a last group cut short by the end, and returns where
// it stopped. The state is left as the exact rule would leave it: a group of
// four alphabet characters fills all four slots and runs through. Inlined
// into each caller: for short texts the call alone is a measurable share.
[[gnu::always_inline]] inline std::size_t DecodeAlphabetRun(std::string_view source, std::size_t at,
                                                            LenientState& state, ByteBuffer& out,
                                                            UnreportedGroups& unreported) {
  std::size_t wholeGroups = (source.size() - at) / 4;
  if (wholeGroups == 0) return at;
  for (std::size_t k = 0; k < 4; ++k) {
    // A group outside the alphabet right away (such as a padded last group)
    // goes straight to the exact rule.
    if (kDecodeValue[static_cast<std::uint8_t>(source[at + k])] == kNotInAlphabet) return at;
  }
  const base64_detail::DecodeKernel decode = base64_detail::ActiveKernels().decode;
  const std::size_t start = at;
  while (wholeGroups > 0) {
    const std::size_t block = std::min(wholeGroups, kGroupsPerBlock);
    const std::size_t written = out.size();
    out.resize(written + block * 3 + base64_detail::kDecodeOverrun);
    const std::size_t decoded = decode(source.data() + at, block, out.data() + written);
    out.resize(written + decoded * 3);
    unreported.Add(decoded);
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
void DecodeRest(std::string_view source, std::size_t at, LenientState& state, ByteBuffer& out,
                UnreportedGroups& unreported) {
  while (at < source.size()) {
    at = DecodeAlphabetRun(source, at, state, out, unreported);
    if (at >= source.size()) return;
    DecodeGroup(source, at, state, out);
    unreported.Add(1);
    at += 4;
  }
}

// Text that needs cleaning is cleaned and decoded a piece at a time, so no
// copy of a long text is ever made and what is decoded is still in cache.
constexpr std::size_t kCleanPieceBytes = 16 * 1024;

// Cleans and decodes `text` to its end. A piece ends after a byte that is
// neither a space nor a CR, so no CR ... LF pair is split between pieces;
// the characters of a group cut by a piece's end wait for the next piece.
// On the first byte of 0x80 and up, where two-byte units begin to matter,
// the rest from that piece on is cleaned in one go by the two passes.
void CleanAndDecode(std::string_view text, LenientState& state, ByteBuffer& out,
                    UnreportedGroups& unreported) {
  using base64_detail::kCarriageReturn;
  using base64_detail::kSpace;
  Text pending;  // cleaned characters not decoded yet
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = std::min(text.size(), at + kCleanPieceBytes);
    while (end < text.size() && (text[end - 1] == kSpace || text[end - 1] == kCarriageReturn)) {
      ++end;
    }
    const std::size_t carried = pending.size();
    if (!base64_detail::AppendCleanedSingleByteText(text.substr(at, end - at), pending)) {
      // Every byte before `at` was a unit of its own, so `at` starts a unit.
      pending.resize(carried);
      pending += base64_detail::CleanForDecoding(text.substr(at));
      break;
    }
    at = end;
    if (at == text.size()) break;
    const std::size_t wholeGroups = pending.size() / 4 * 4;
    DecodeRest(std::string_view(pending).substr(0, wholeGroups), 0, state, out, unreported);
    pending.erase(0, wholeGroups);
  }
  DecodeRest(pending, 0, state, out, unreported);
}

}  // namespace

ByteBuffer Base64DecodeLenient(const Text& text, PumpPendingEvents pump) {
  LenientState state;
  UnreportedGroups unreported(pump);
  ByteBuffer result;
  // Cleaning only ever shortens the text, so this is the most we append.
  result.reserve((text.size() + 3) / 4 * 3 + base64_detail::kDecodeOverrun);

  // A leading run of alphabet groups has nothing to clean, so it is decoded
  // straight from the caller's text.
  const std::string_view whole = text;
  const std::size_t at = DecodeAlphabetRun(whole, 0, state, result, unreported);
  const std::string_view rest = whole.substr(at);
  if (!rest.empty()) {
    // The run ends on a group boundary before any byte that needs cleaning,
    // so cleaning what follows on its own gives the same text as cleaning
    // it all. When there is nothing to clean, no copy is made.
    if (base64_detail::ActiveKernels().scan(rest.data(), rest.size()) < rest.size()) {
      CleanAndDecode(rest, state, result, unreported);
    } else {
      DecodeRest(rest, 0, state, result, unreported);
    }
  }
  unreported.Report();
  ApplyFinalCut(state, result);
  return result;
}

}  // namespace cipher
