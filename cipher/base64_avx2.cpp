// AVX2 kernels, 32 characters at a time; only called where the CPU has AVX2.
// The decoder finds the first group holding a byte outside the alphabet
// from the vector's own check; the last few groups of a run are read with a
// masked load, so nothing past the run is touched.
//
// The vector code follows the technique published by Wojciech Muła and
// Daniel Lemire, "Faster Base64 Encoding and Decoding Using AVX2
// Instructions" (ACM Transactions on the Web, 2018): multiplications split
// groups into 6-bit values and pack them back, and 16-entry byte shuffles
// serve as lookup tables, one index per nibble. Each table below says how it
// follows from Base64Alphabet, and is checked against it at compile time.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "cipher/base64.h"
#include "cipher/base64_kernels.h"
#include "cipher/base64_rules.h"

namespace cipher::base64_detail {
namespace {

// One 128-bit lane of a shuffle table; both lanes of a vector get the same.
using LaneTable = std::array<std::int8_t, 16>;

// Encoding, 6-bit value to character. The alphabet is five runs of
// consecutive bytes: A-Z for 0-25, a-z for 26-51, 0-9 for 52-61, then + and
// /. A value's index is 0 in the first run, 1 in the second and value - 50
// (2 to 13) after that; its entry is the character minus the value:
// 'A' - 0 = 65, 'a' - 26 = 71, '0' - 52 = -4 for all ten digits,
// '+' - 62 = -19 and '/' - 63 = -16.
constexpr LaneTable kEncodeOffsets = {65, 71, -4, -4, -4,  -4,  -4, -4,
                                      -4, -4, -4, -4, -19, -16, 0,  0};
constexpr unsigned EncodeIndex(unsigned value) {
  return (value > 51 ? value - 51 : 0) + (value > 25 ? 1 : 0);
}
constexpr bool EncodeTableFollowsTheAlphabet() {
  for (unsigned v = 0; v < Base64Alphabet.size(); ++v) {
    if (((v + kEncodeOffsets[EncodeIndex(v)]) & 0xFF) !=
        static_cast<std::uint8_t>(Base64Alphabet[v]))
      return false;
  }
  return true;
}
static_assert(EncodeTableFollowsTheAlphabet());

// Decoding, which bytes are in the alphabet. The alphabet's characters fall
// under four kinds of high nibble, each given a bit: 2 (+ and /) bit 0x01,
// 3 (digits) 0x02, 4 and 6 (A-O, a-o) 0x04, 5 and 7 (P-Z, p-z) 0x08; every
// other high nibble gets 0x10. A low nibble's entry holds the bit of each
// kind under which that nibble is not a character of the alphabet, and 0x10
// always, so a byte is in the alphabet exactly when the entries of its two
// nibbles share no bit.
constexpr LaneTable kHighNibbleClass = {0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08,
                                        0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10};
constexpr LaneTable kLowNibbleClass = {0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                       0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A};
// Decoding, character to value: the high nibble picks the offset that turns
// its characters into values (digits 52 - '0' = 4, A-Z 0 - 'A' = -65, a-z
// 26 - 'a' = -71, + 62 - '+' = 19), except that "/" shares its high nibble
// with "+", so its index is moved down to 1, for 63 - '/' = 16.
constexpr LaneTable kDecodeOffsets = {0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr bool DecodeTablesFollowTheAlphabet() {
  for (unsigned c = 0; c < 256; ++c) {
    const unsigned high = c >> 4, low = c & 0x0F;
    const bool outside = (kLowNibbleClass[low] & kHighNibbleClass[high]) != 0;
    if (outside != !InAlphabet(static_cast<char>(c))) return false;
    const unsigned index = c == '/' ? high - 1 : high;
    if (!outside && ((c + kDecodeOffsets[index]) & 0xFF) != unsigned(kDecodeValue[c])) return false;
  }
  return true;
}
static_assert(DecodeTablesFollowTheAlphabet());

#define TEXTCRYPT_AVX2 __attribute__((target("avx2")))

// A table for both lanes, as one 32-byte constant.
using VectorTable = std::array<std::int8_t, 32>;
constexpr VectorTable BothLanes(const LaneTable& lane) {
  VectorTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = lane[i % lane.size()];
  return table;
}
constexpr VectorTable kEncodeOffsetsVector = BothLanes(kEncodeOffsets);
constexpr VectorTable kHighNibbleClassVector = BothLanes(kHighNibbleClass);
constexpr VectorTable kLowNibbleClassVector = BothLanes(kLowNibbleClass);
constexpr VectorTable kDecodeOffsetsVector = BothLanes(kDecodeOffsets);

TEXTCRYPT_AVX2 __m256i Load(const VectorTable& table) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table.data()));
}

// Turns the 3-byte groups in each 32-bit lane (bytes b, a, c, b) into four
// 6-bit values, one per byte.
TEXTCRYPT_AVX2 __m256i SplitIntoSixBits(__m256i lanes) {
  const __m256i first = _mm256_mulhi_epu16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x0FC0FC00)),
                                           _mm256_set1_epi32(0x04000040));
  const __m256i second = _mm256_mullo_epi16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x003F03F0)),
                                            _mm256_set1_epi32(0x01000010));
  return _mm256_or_si256(first, second);
}

// 6-bit values to alphabet characters: each range of the alphabet is a run
// of consecutive bytes, so one offset per range does it.
TEXTCRYPT_AVX2 __m256i ValuesToCharacters(__m256i values) {
  const __m256i offsets = Load(kEncodeOffsetsVector);
  // EncodeIndex: 0..25 -> 0, 26..51 -> 1, 52..61 -> 2..11, 62 -> 12, 63 -> 13.
  __m256i range = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
  range = _mm256_sub_epi8(range, _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
  return _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, range));
}

TEXTCRYPT_AVX2 void EncodeAvx2(const std::uint8_t* in, std::size_t groups, char* out) {
  const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                          1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  std::size_t g = 0;
  // Each step reads 28 bytes for the 24 it encodes, so it stops 10 groups short.
  for (; groups - g >= 10; g += 8) {
    const std::uint8_t* at = in + g * 3;
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12)), 1);
    const __m256i values = SplitIntoSixBits(_mm256_shuffle_epi8(bytes, spread));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + g * 4), ValuesToCharacters(values));
  }
  kPlainKernels.encode(in + g * 3, groups - g, out + g * 4);
}

// Decodes eight groups of characters; returns how many of them lead up to
// the first group holding a byte outside the alphabet (8 when none does).
// All 32 output bytes are written either way, 24 of them meaningful.
TEXTCRYPT_AVX2 unsigned DecodeEightGroups(__m256i chars, std::uint8_t* out) {
  // A byte is in the alphabet when its low-nibble class and high-nibble
  // class share no bit; the high nibble (and "/") also picks the offset
  // from character to value.
  const __m256i lowClass = Load(kLowNibbleClassVector);
  const __m256i highClass = Load(kHighNibbleClassVector);
  const __m256i offsets = Load(kDecodeOffsetsVector);
  // The 32-bit shift moves bits of the next byte into the top of each byte.
  // The shuffles read only the low four bits of an index and its top bit,
  // which this mask clears, so 0x2F (the byte "/") serves as 0x0F here.
  const __m256i nibbleMask = _mm256_set1_epi8(0x2F);
  // Packing: four 6-bit values per lane into 24 bits, then the 24 bytes together.
  const __m256i pairWeights = _mm256_set1_epi32(0x01400140);
  const __m256i quadWeights = _mm256_set1_epi32(0x00011000);
  const __m256i gather =
      _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                       2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);

  const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibbleMask);
  const __m256i low = _mm256_and_si256(chars, nibbleMask);
  const __m256i outside =
      _mm256_and_si256(_mm256_shuffle_epi8(lowClass, low), _mm256_shuffle_epi8(highClass, high));
  const __m256i offset = _mm256_shuffle_epi8(
      offsets, _mm256_add_epi8(_mm256_cmpeq_epi8(chars, _mm256_set1_epi8('/')), high));
  const __m256i values = _mm256_add_epi8(chars, offset);
  const __m256i packed = _mm256_madd_epi16(_mm256_maddubs_epi16(values, pairWeights), quadWeights);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                      _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(packed, gather), join));

  if (_mm256_testz_si256(outside, outside)) return 8;
  const auto inside = static_cast<unsigned>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(outside, _mm256_setzero_si256())));
  return static_cast<unsigned>(__builtin_ctz(~inside)) / 4;
}

TEXTCRYPT_AVX2 std::size_t DecodeAvx2(const char* in, std::size_t groups, std::uint8_t* out) {
  std::size_t g = 0;
  for (; groups - g >= 8; g += 8) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + g * 4));
    const unsigned decoded = DecodeEightGroups(chars, out + g * 3);
    if (decoded < 8) return g + decoded;
  }
  if (g == groups) return g;
  // The last few groups: one 32-bit lane per group, lanes past the end read
  // as zero bytes without touching memory there.
  const auto left = static_cast<int>(groups - g);
  const __m256i lanes =
      _mm256_cmpgt_epi32(_mm256_set1_epi32(left), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i chars = _mm256_maskload_epi32(reinterpret_cast<const int*>(in + g * 4), lanes);
  const unsigned decoded = DecodeEightGroups(chars, out + g * 3);
  return g + std::min<std::size_t>(decoded, groups - g);
}

TEXTCRYPT_AVX2 std::size_t ScanAvx2(const char* in, std::size_t size) {
  // The bytes that NeedsCleaning.
  const __m256i space = _mm256_set1_epi8(kSpace);
  const __m256i cr = _mm256_set1_epi8(kCarriageReturn);
  std::size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i hits =
        _mm256_or_si256(_mm256_cmpeq_epi8(chars, space), _mm256_cmpeq_epi8(chars, cr));
    // The sign bit of each byte is set exactly for bytes of 0x80 and up.
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(hits, chars)));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
  return i + kPlainKernels.scan(in + i, size - i);
}

#undef TEXTCRYPT_AVX2

}  // namespace

const Kernels kAvx2Kernels = {EncodeAvx2, DecodeAvx2, ScanAvx2};

}  // namespace cipher::base64_detail

#endif
