// The plain kernels: table lookups, portable to any CPU.
#include <array>
#include <bit>
#include <cstring>
#include <string_view>

#include "cipher/base64.h"
#include "cipher/base64_kernels.h"
#include "cipher/base64_rules.h"

namespace cipher::base64_detail {
namespace {

// Two output characters for each 12-bit half of a group.
using CharPair = std::array<char, 2>;
constexpr std::array<CharPair, 4096> kPairs = [] {
  std::array<CharPair, 4096> table{};
  for (std::size_t v = 0; v < table.size(); ++v)
    table[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 63]};
  return table;
}();

// Each character's value already shifted to its place in the 24-bit group,
// with one high bit marking bytes outside the alphabet.
constexpr std::uint32_t kOutside = 0x80000000u;
using ShiftedTable = std::array<std::uint32_t, 256>;
constexpr ShiftedTable Shifted(unsigned shift) {
  ShiftedTable table{};
  table.fill(kOutside);
  for (std::size_t c = 0; c < table.size(); ++c) {
    if (InAlphabet(static_cast<char>(c))) table[c] = std::uint32_t(kDecodeValue[c]) << shift;
  }
  return table;
}
constexpr ShiftedTable kAt0 = Shifted(18), kAt1 = Shifted(12), kAt2 = Shifted(6), kAt3 = Shifted(0);

void EncodePlain(const std::uint8_t* in, std::size_t groups, char* out) {
  for (std::size_t g = 0; g < groups; ++g, in += 3, out += 4) {
    const std::uint32_t bits = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, kPairs[bits >> 12].data(), 2);
    std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
  }
}

std::size_t DecodePlain(const char* in, std::size_t groups, std::uint8_t* out) {
  const auto* text = reinterpret_cast<const std::uint8_t*>(in);
  for (std::size_t g = 0; g < groups; ++g, text += 4, out += 3) {
    const std::uint32_t bits = kAt0[text[0]] | kAt1[text[1]] | kAt2[text[2]] | kAt3[text[3]];
    if (bits & kOutside) return g;
    if constexpr (std::endian::native == std::endian::little) {
      // One 4-byte store; its fourth byte falls in the overrun the next group overwrites.
      const std::uint32_t bytes = __builtin_bswap32(bits << 8);
      std::memcpy(out, &bytes, 4);
    } else {
      out[0] = static_cast<std::uint8_t>(bits >> 16);
      out[1] = static_cast<std::uint8_t>(bits >> 8);
      out[2] = static_cast<std::uint8_t>(bits);
    }
  }
  return groups;
}

// Eight bytes at a time: a byte equal to c leaves a zero byte in word ^ c,
// and the lowest flag of (v - 1s) & ~v & 80s is always a true zero byte.
// A byte of 0x80 and up is one with its high bit set.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::uint64_t ZeroBytes(std::uint64_t v) {
  return (v - kOnes) & ~v & kHighBits;
}

std::size_t ScanPlain(const char* in, std::size_t size) {
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; size - i >= 8; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, in + i, 8);
      const std::uint64_t hits =
          ZeroBytes(word ^ (kOnes * static_cast<std::uint8_t>(kSpace))) |
          ZeroBytes(word ^ (kOnes * static_cast<std::uint8_t>(kCarriageReturn))) |
          (word & kHighBits);
      if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits)) / 8;
    }
  }
  for (; i < size; ++i) {
    if (NeedsCleaning(in[i])) return i;
  }
  return size;
}

}  // namespace

const Kernels kPlainKernels = {EncodePlain, DecodePlain, ScanPlain};

}  // namespace cipher::base64_detail
